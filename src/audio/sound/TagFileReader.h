#pragma once
// Tags and length of a file without decoding it: TagLib reads the tags (ID3v1 and v2,
// Vorbis comments, RIFF INFO, ASF, ...) and the length; FFmpeg gives the length where
// TagLib cannot, and the tags of files TagLib finds none in.

#include <cstdint>
#include <optional>
#include <string_view>

class TagList;

// The common fields go into `tags` as UTF-8 (ID3v2 before ID3v1), and PICTURE "1" when
// the file holds a cover picture. With `accurateLength`
// (tracker modules, which state no length) FFmpeg measures the length. A sound result
// code: a file that neither can read as audio fails.
struct TagFileFacts {
    uint32_t lengthMs = 0;
    std::optional<uint64_t> bytes;  // the file's size as it was read; unset when TagLib could not open it
};
int readTagFile(std::string_view path, bool accurateLength, TagList& tags, TagFileFacts& facts);
