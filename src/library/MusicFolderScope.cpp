#include "library/MusicFolderScope.h"

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "text/StrList.h"
#include "text/TextSearch.h"

namespace {

constexpr std::string_view kListFileName = "playlist.vmr";

std::string_view withoutTrailingSlash(std::string_view path) {
    while (path.size() > 1 && path.ends_with('/')) path.remove_suffix(1);
    return path;
}

bool isWithin(std::string_view path, std::string_view folder) {
    if (folder == "/") return path.starts_with('/');
    return path.starts_with(folder) && (path.size() == folder.size() || path[folder.size()] == '/');
}

// The path with every symbolic link resolved; empty when it does not exist.
std::string realPath(const std::string& path) {
    const std::unique_ptr<char, decltype(&std::free)> resolved(realpath(path.c_str(), nullptr), &std::free);
    return resolved ? std::string(resolved.get()) : std::string();
}

}  // namespace

MusicFolderScope::MusicFolderScope(const StrList& musicFolders) {
    for (const Str& folder : musicFolders) {
        const std::string normal = normalPath(folder.view());
        if (normal.starts_with('/')) folders_.emplace_back(withoutTrailingSlash(normal));
    }
}

std::string MusicFolderScope::normalPath(std::string_view path) {
    return std::filesystem::path(path).lexically_normal().string();
}

const std::string* MusicFolderScope::folderOf(std::string_view normal) const {
    const std::string_view path = withoutTrailingSlash(normal);
    for (const std::string& folder : folders_) {
        if (isWithin(path, folder)) return &folder;
    }
    return nullptr;
}

bool MusicFolderScope::contains(std::string_view path) const { return folderOf(normalPath(path)) != nullptr; }

bool MusicFolderScope::mayExport(std::string_view path) const {
    if (fileNameOf(path) != kListFileName || normalPath(path) != path) return false;
    const std::string* folder = folderOf(path);
    if (!folder) return false;
    const std::string realFolder = realPath(*folder);
    const std::string realParent = realPath(std::string(path.substr(0, path.size() - kListFileName.size())));
    return !realFolder.empty() && !realParent.empty() && isWithin(realParent, realFolder);
}
