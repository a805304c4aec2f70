#pragma once
// What a browser keeps of a file it was sent, to ask later whether its copy is still good:
// an entity tag and the time of the last change, both from the file's size and time.

#include <string>
#include <string_view>

struct DiskFileStatus;

struct FileValidators {
    std::string etag;          // "\"size-time\"", both in hex
    std::string lastModified;  // "Sun, 06 Nov 1994 08:49:37 GMT"

    static FileValidators of(const DiskFileStatus& status);
    // The request's If-None-Match names this version (or "*"); without that header, its
    // If-Modified-Since is our own Last-Modified text.
    bool matchedBy(std::string_view headerBlock) const;
};
