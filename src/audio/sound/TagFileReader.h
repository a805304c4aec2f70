#pragma once
// Tags and length of a file without decoding it: TagLib reads the tags (ID3v1 and v2,
// Vorbis comments, RIFF INFO, ASF, ...) and the length; FFmpeg gives the length where
// TagLib cannot, and the tags of files TagLib finds none in.

#include <cstdint>
#include <string_view>

class TagList;

// The common fields go into `tags` as UTF-8 (ID3v2 before ID3v1), and PICTURE "1" when
// the file holds a cover picture. With `accurateLength`
// (tracker modules, which state no length) FFmpeg measures the length. A sound result
// code: a file that neither can read as audio fails.
int readTagFile(std::string_view path, bool accurateLength, TagList& tags, uint32_t& lengthMs);
