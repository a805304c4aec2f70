#pragma once
// What happens when the program is started: find or seed the settings folder, become the
// running instance, or hand the command line to the instance that already runs.

#include <string>

// The folders of one start: the program folder and the settings folder, both ending in "/".
struct StartFolders {
    std::string program;
    std::string settings;
};

// "portable" (exactly) keeps the settings beside the executable.
StartFolders startFolders(const std::string& programFolder, const std::string& commandLine);
// Creates and seeds the settings folder when it does not exist; false when it cannot.
bool prepareSettingsFolder(const StartFolders& folders);
// The process's life; returns its exit code.
int runEntryPoint(const std::string& commandLine);
