#include "app/EntryPoint.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <thread>

#include "app/LocalCommand.h"
#include "app/ProcessFlags.h"
#include "app/RunApplication.h"
#include "platform/Desktop.h"
#include "platform/FileSystem.h"
#include "platform/Folders.h"
#include "platform/InstanceLock.h"
#include "platform/LocalChannel.h"

namespace {

constexpr int kSeedClusters = 64;
constexpr int kQuitWaitTries = 100;

void seedSettingsFolder(const StartFolders& folders) {
    for (int n = 0; n < kSeedClusters; ++n) {
        const std::string name = "database/" + std::to_string(n) + ".dat";
        copyFileExclusive(folders.program + name, folders.settings + name);
    }
    copyFileExclusive(folders.program + "filters.vmr", folders.settings + "filters.vmr");
}

bool containsQuit(const std::string& commandLine) {
    return commandLine.find("quit") != std::string::npos;
}

// An absolute path, possibly behind one double quote.
bool isPath(const std::string& commandLine) {
    const size_t start = !commandLine.empty() && commandLine[0] == '"' ? 1 : 0;
    return commandLine.size() > start && commandLine[start] == '/';
}

// The running instance is gone once its lock can be taken.
void waitForRunningInstanceToEnd(InstanceLock& lock) {
    for (int attempt = 0; attempt < kQuitWaitTries; ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (lock.tryAcquire()) {
            lock.release();
            return;
        }
    }
}

int runSecondInstance(const std::string& commandLine, const StartFolders& folders,
                      InstanceLock& lock) {
    if (commandLine.empty()) {
        showErrorMessage("Velmorant is already started\n");
        return 1;
    }
    if (isPath(commandLine)) {
        sendToLocalChannel(commandLine);
        return 0;
    }
    // The desktop file's word: the running player's web interface.
    if (commandLine == "show") {
        openWithDesktop("http://127.0.0.1:" + std::to_string(localPort(folders.program)));
        return 0;
    }
    const StartResult sent = sendLocalCommand(commandLine, folders.program);
    if (containsQuit(commandLine)) {
        waitForRunningInstanceToEnd(lock);
        return 0;
    }
    if (!sent.ok) showErrorMessage(sent.message.value_or("error"));
    return sent.ok ? 0 : 1;
}

void onStopSignal(int) { requestQuit(); }

void installStopSignals() {
    std::signal(SIGINT, onStopSignal);
    std::signal(SIGTERM, onStopSignal);
    std::signal(SIGPIPE, SIG_IGN);
}

}  // namespace

StartFolders startFolders(const std::string& programFolder, const std::string& commandLine) {
    if (commandLine == "portable") return {programFolder, programFolder + "settings/"};
    return {programFolder, applicationDataFolder() + "Velmorant/"};
}

bool prepareSettingsFolder(const StartFolders& folders) {
    if (folderExists(folders.settings)) return true;
    if (!createFolder(folders.settings) || !createFolder(folders.settings + "database")) {
        return false;
    }
    seedSettingsFolder(folders);
    return true;
}

int runEntryPoint(const std::string& commandLine) {
    // The log is read live by tools and tests.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const StartFolders folders = startFolders(programFolder(), commandLine);
    if (!prepareSettingsFolder(folders)) {
        showErrorMessage("Can't create settings directory!");
        return 1;
    }
    InstanceLock lock;
    if (!lock.tryAcquire()) return runSecondInstance(commandLine, folders, lock);
    if (containsQuit(commandLine)) return 0;

    raiseProcessPriority();
    installStopSignals();
    const StartResult result = runApplication(folders.program, folders.settings);
    if (!result.ok) showErrorMessage(result.message.value_or("Unknown error"));
    return result.ok ? 0 : 1;
}
