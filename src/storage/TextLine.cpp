#include "storage/TextLine.h"

namespace {

bool isLineEnd(char byte) {
    return byte == '\n' || byte == '\r';
}

}  // namespace

std::optional<TextLine> readTextLine(std::string_view bytes, size_t position) {
    const char* const start = bytes.data() + position;
    const char* const end = bytes.data() + bytes.size();
    if (start >= end) return std::nullopt;
    const char* cursor = start;
    const char* nul = nullptr;
    for (; cursor < end; ++cursor) {
        const auto byte = static_cast<unsigned char>(*cursor);
        if (byte > '\r') continue;
        if (isLineEnd(*cursor)) break;
        if (byte == 0 && !nul) nul = cursor;
    }
    const char* const textEnd = nul ? nul : cursor;
    if (cursor < end) {
        ++cursor;
        if (cursor < end && isLineEnd(*cursor)) ++cursor;
    }
    return TextLine{{start, static_cast<size_t>(textEnd - start)}, static_cast<size_t>(cursor - bytes.data())};
}

size_t leadingSpaces(std::string_view text) {
    const size_t first = text.find_first_not_of(' ');
    return first == std::string_view::npos ? text.size() : first;
}
