#include "platform/Folders.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "platform/FileSystem.h"

namespace {

std::string withSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder;
}

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string homeFolder() { return withSlash(environment("HOME")); }

// XDG_MUSIC_DIR="$HOME/Music" as xdg-user-dirs writes it.
std::string musicDirFromUserDirs() {
    std::ifstream file(homeFolder() + ".config/user-dirs.dirs");
    std::string line;
    const std::string key = "XDG_MUSIC_DIR=";
    while (std::getline(file, line)) {
        if (line.rfind(key, 0) != 0) continue;
        std::string value = line.substr(key.size());
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
            value = value.substr(1, value.size() - 2);
        }
        if (value.rfind("$HOME", 0) == 0) value = homeFolder() + value.substr(value.find('/') + 1);
        return value.empty() ? "" : withSlash(value);
    }
    return "";
}

}  // namespace

std::string programFolder() {
    char path[4096];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) return "./";
    const std::string executable(path, static_cast<size_t>(length));
    const std::string folder = executable.substr(0, executable.rfind('/') + 1);
    // Installed as <prefix>/bin/velmorant, the program's files are in <prefix>/share/velmorant/.
    constexpr std::string_view kBin = "/bin/";
    if (!folder.ends_with(kBin) || folderExists(folder + "web")) return folder;
    const std::string shared = folder.substr(0, folder.size() - kBin.size()) + "/share/velmorant/";
    return folderExists(shared + "web") ? shared : folder;
}

std::string applicationDataFolder() {
    const std::string dataHome = environment("XDG_DATA_HOME");
    if (!dataHome.empty()) return withSlash(dataHome);
    return homeFolder() + ".local/share/";
}

std::string userMusicFolder() {
    const std::string configured = musicDirFromUserDirs();
    if (!configured.empty() && folderExists(configured)) return configured;
    const std::string music = homeFolder() + "Music/";
    if (folderExists(music) || createFolder(music)) return music;
    return "/";
}

std::string runtimeFolder() {
    const std::string runtime = environment("XDG_RUNTIME_DIR");
    if (!runtime.empty()) return withSlash(runtime);
    const std::string fallback = "/tmp/velmorant-" + std::to_string(getuid()) + "/";
    mkdir(fallback.c_str(), 0700);
    return fallback;
}
