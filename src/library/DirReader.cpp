#include "library/DirReader.h"

#include <cerrno>
#include <string>

namespace {

ListedKind listedKind(unsigned char type) {
    switch (type) {
        case DT_REG: return ListedKind::kFile;
        case DT_DIR:
        case DT_LNK:
        case DT_UNKNOWN: return ListedKind::kAsk;
        default: return ListedKind::kSpecial;
    }
}

}  // namespace

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
    entry_.kind = listedKind(found->d_type);
    return &entry_;
}
