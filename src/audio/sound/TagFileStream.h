#pragma once
// A file as TagLib reads it, for tags only: opened read-only, its size known once, and
// read with pread into two windows that are kept, so TagLib's many small reads at the
// start and at the end of a file cost few system calls. It gives TagLib the same bytes
// its own file stream would.

#include <taglib/tiostream.h>

#include <array>
#include <string>
#include <vector>

#include "platform/FileDescriptor.h"

class TagFileStream : public TagLib::IOStream {
public:
    explicit TagFileStream(std::string path);

    TagLib::FileName name() const override { return path_.c_str(); }
    TagLib::ByteVector readBlock(unsigned long length) override;
    // Writing is refused: the stream is read-only.
    void writeBlock(const TagLib::ByteVector&) override {}
    void insert(const TagLib::ByteVector&, unsigned long, unsigned long) override {}
    void removeBlock(unsigned long, unsigned long) override {}
    void truncate(long) override {}
    bool readOnly() const override { return true; }
    bool isOpen() const override { return file_.valid(); }
    // A place before the start is refused; one past the end reads nothing.
    void seek(long offset, Position from = Beginning) override;
    long tell() const override { return position_; }
    long length() override { return size_; }

private:
    struct Window {
        long start = 0;
        std::vector<char> bytes;
        bool holds(long from, long count) const {
            return from >= start && from + count <= start + static_cast<long>(bytes.size());
        }
    };

    const Window& windowFor(long count);

    std::string path_;
    FileDescriptor file_;
    long size_ = 0;
    long position_ = 0;
    std::array<Window, 2> windows_;
    size_t older_ = 0;  // the window the next load replaces
};
