#include "library/FileKinds.h"

#include <algorithm>
#include <initializer_list>
#include <string>

#include <sys/stat.h>

#include "text/TextSearch.h"

namespace {

char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameNoCase(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, {}, asciiLower, asciiLower);
}

bool hasExtension(std::string_view name, std::initializer_list<std::string_view> extensions) {
    const size_t dot = name.rfind('.');
    if (dot == std::string_view::npos) return false;
    const std::string_view extension = name.substr(dot + 1);
    return std::any_of(extensions.begin(), extensions.end(),
                       [extension](std::string_view known) { return sameNoCase(extension, known); });
}

}  // namespace

bool isAudioFile(std::string_view name) {
    return hasExtension(name, {"wma", "aiff", "asf", "aac", "raw", "mp3", "mp4", "mp2", "wav", "ogg", "flac",
                               "mod", "s3m", "xm", "it", "cdda", "fsb", "sf2", "dls"});
}

bool isImageFile(std::string_view name) {
    return hasExtension(name, {"jpg", "jpeg", "gif", "png", "bmp", "tga"});
}

bool isTrackerModule(std::string_view name) {
    return hasExtension(name, {"mod", "s3m", "xm", "it"});
}

bool isPlaylistFile(std::string_view name) {
    return wildcardMatch("*.pls", name) || wildcardMatch("*.m3u", name);
}

bool isDirectory(std::string_view path, DirectoryId* identity) {
    struct stat status {};
    if (::stat(std::string(path).c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) return false;
    if (identity) *identity = {status.st_dev, status.st_ino};
    return true;
}
