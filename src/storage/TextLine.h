#pragma once
// Line splitting shared by the list-file and ini readers. CR and LF both end a line, and
// one more CR or LF right after belongs to the same line end (so CR LF, LF CR, CR CR and
// LF LF each end one line).

#include <cstddef>
#include <optional>
#include <string_view>

struct TextLine {
    std::string_view text;  // without its line end, and cut at a NUL byte
    size_t end;             // offset just past the line end
};

// The line starting at `position`, or nothing at the end of the bytes.
std::optional<TextLine> readTextLine(std::string_view bytes, size_t position);

size_t leadingSpaces(std::string_view text);
