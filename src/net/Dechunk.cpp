#include "net/Dechunk.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "text/TextSearch.h"

namespace {

// Chunks of 256 MiB or more are refused: nothing legitimate sends them, and the count
// then always fits an int.
constexpr size_t kMaxChunkSizeDigits = 7;

bool chunkSizeFits(std::string_view line) {
    const size_t start = std::min(line.find_first_not_of('0'), line.size());
    size_t digits = 0;
    while (start + digits < line.size() &&
           std::isxdigit(static_cast<unsigned char>(line[start + digits]))) {
        ++digits;
    }
    return digits <= kMaxChunkSizeDigits;
}

}  // namespace

// Compacts in place with separate read and write positions, so many small chunks cost
// one pass over the body.
bool dechunk(ByteBuffer& body) {
    const size_t size = body.size();
    size_t read = 0;   // just after the previous chunk's data
    size_t write = 0;  // end of the data decoded so far
    size_t skip = 0;   // the CR LF after the previous chunk's data
    for (;;) {
        if (read + skip > size) break;
        const std::string_view sizeLine = body.view().substr(read + skip);
        if (!chunkSizeFits(sizeLine)) return false;
        const size_t dataStart = read + skip + nextLine(sizeLine);
        const auto chunkSize = static_cast<size_t>(hexToInt(sizeLine));
        if (chunkSize > size - dataStart) return false;
        if (chunkSize > 0) std::memmove(body.data() + write, body.data() + dataStart, chunkSize);
        write += chunkSize;
        read = dataStart + chunkSize;
        skip = 2;
        if (chunkSize == 0) break;
    }
    body.resize(write);
    return true;
}
