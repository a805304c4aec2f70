#pragma once
// The part of the disk where the web interface may move the library's stored lists and
// export them as files: the music folders. Paths are compared after resolving ".", ".." and
// repeated slashes, so no spelling of a path leads out.

#include <string>
#include <string_view>
#include <vector>

class StrList;

class MusicFolderScope {
public:
    explicit MusicFolderScope(const StrList& musicFolders);

    // The path is a music folder or lies in one, by its text.
    bool contains(std::string_view path) const;
    // A folder list file ("playlist.vmr") written as a path in its normal form, in a music
    // folder, whose folder on disk is really in that music folder: no symbolic link on the
    // way leads out of it. Reads the disk.
    bool mayExport(std::string_view path) const;

    // "/a//b/./c/../d" is "/a/b/d"; a trailing "/" stays.
    static std::string normalPath(std::string_view path);

private:
    const std::string* folderOf(std::string_view normal) const;

    std::vector<std::string> folders_;  // normal, without a trailing "/"
};
