#pragma once
// Folder creation and file copies on UTF-8 paths.

#include <string>

bool folderExists(const std::string& path);
// Creates the folder and any missing parents; true when it exists afterwards.
bool createFolder(const std::string& path);
// Copies a file; fails (and changes nothing) when the target exists or the source is missing.
bool copyFileExclusive(const std::string& from, const std::string& to);
