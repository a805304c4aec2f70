#include "library/FileKinds.h"

#include <algorithm>
#include <cstdint>
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
                               "mod", "s3m", "xm", "it", "cdda", "fsb", "sf2", "dls",
                               "m4a", "m4b", "alac", "opus", "oga", "aif", "wv", "ape", "dsf", "mka", "webm"});
}

bool isImageFile(std::string_view name) {
    return hasExtension(name, {"jpg", "jpeg", "gif", "png", "bmp", "tga"});
}

bool looksLikePicture(std::string_view name, std::string_view bytes) {
    if (hasExtension(name, {"jpg", "jpeg"})) return bytes.starts_with("\xFF\xD8\xFF");
    if (hasExtension(name, {"png"})) return bytes.starts_with("\x89PNG\r\n\x1A\n");
    if (hasExtension(name, {"gif"})) return bytes.starts_with("GIF87a") || bytes.starts_with("GIF89a");
    if (hasExtension(name, {"bmp"})) return bytes.starts_with("BM");
    if (!hasExtension(name, {"tga"}) || bytes.size() < 18) return false;
    const auto colourMapType = static_cast<uint8_t>(bytes[1]);
    const auto imageType = static_cast<uint8_t>(bytes[2]);
    const bool knownType = (imageType >= 1 && imageType <= 3) || (imageType >= 9 && imageType <= 11);
    return colourMapType <= 1 && knownType;
}

bool isTrackerModule(std::string_view name) {
    return hasExtension(name, {"mod", "s3m", "xm", "it"});
}

bool isPlaylistFile(std::string_view name) {
    return wildcardMatch("*.pls", name) || wildcardMatch("*.m3u", name);
}

PathKind pathKind(std::string_view path, DirectoryId* identity) {
    struct stat status {};
    if (::stat(std::string(path).c_str(), &status) != 0) return PathKind::kMissing;
    if (S_ISREG(status.st_mode)) return PathKind::kFile;
    if (!S_ISDIR(status.st_mode)) return PathKind::kSpecial;
    if (identity) *identity = {status.st_dev, status.st_ino};
    return PathKind::kDirectory;
}

bool isDirectory(std::string_view path, DirectoryId* identity) {
    return pathKind(path, identity) == PathKind::kDirectory;
}
