#pragma once
// What a file is, by the extension of its name or by asking the file system.

#include <string_view>

#include <sys/types.h>

bool isAudioFile(std::string_view name);
bool isImageFile(std::string_view name);
// Whether the bytes begin the way pictures of the name's extension do (TGA, which has no
// signature, by a plausible header).
bool looksLikePicture(std::string_view name, std::string_view bytes);
bool isTrackerModule(std::string_view name);
// ".pls" or ".m3u" in any letter case.
bool isPlaylistFile(std::string_view name);

// Tells one real directory from another, whatever links lead to it.
struct DirectoryId {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const DirectoryId&) const = default;
};

enum class PathKind { kMissing, kFile, kDirectory, kSpecial };

// What the path is, links followed; a directory's identity is stored when asked.
PathKind pathKind(std::string_view path, DirectoryId* identity = nullptr);
// True when the path, links followed, is a directory; its identity is stored when asked.
bool isDirectory(std::string_view path, DirectoryId* identity = nullptr);
