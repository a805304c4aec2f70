#pragma once
// The entries of one directory, one at a time, names as UTF-8 bytes as the file system
// gives them. The reader owns the open directory and closes it when destroyed.

#include <memory>
#include <string_view>

#include <dirent.h>

// What the listing itself says of an entry, so that plain files need no file status.
enum class ListedKind {
    kFile,     // a regular file
    kSpecial,  // a pipe, socket or device
    kAsk,      // a directory, a link or not told: only the file status says
};

struct DirEntry {
    std::string_view name;  // valid until the next call of next()
    ListedKind kind;
};

class DirReader {
public:
    // Null when the directory cannot be opened, whatever the reason: a missing folder
    // must never read as an empty one. An empty path is the root folder.
    static std::unique_ptr<DirReader> open(std::string_view path);
    // Takes over an open directory.
    explicit DirReader(DIR* handle) : handle_(handle) {}

    // Null at the end of the listing or when it fails.
    const DirEntry* next();
    // True when the listing ended by an error rather than by running out of entries.
    bool failed() const { return failed_; }

private:
    struct Closer {
        void operator()(DIR* handle) const { ::closedir(handle); }
    };

    std::unique_ptr<DIR, Closer> handle_;
    DirEntry entry_{};
    bool finished_ = false;
    bool failed_ = false;
};
