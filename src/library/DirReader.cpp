#include "library/DirReader.h"

#include <cerrno>
#include <string>

std::unique_ptr<DirReader> DirReader::open(std::string_view path) {
    DIR* handle = ::opendir(path.empty() ? "/" : std::string(path).c_str());
    if (!handle) return nullptr;
    return std::make_unique<DirReader>(handle);
}

const DirEntry* DirReader::next() {
    if (finished_) return nullptr;
    errno = 0;
    const dirent* found = ::readdir(handle_.get());
    if (!found) {
        finished_ = true;
        failed_ = errno != 0;
        return nullptr;
    }
    entry_.name = found->d_name;
    entry_.surelyNotDirectory = found->d_type != DT_DIR && found->d_type != DT_LNK && found->d_type != DT_UNKNOWN;
    return &entry_;
}
