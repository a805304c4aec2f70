// Feeds arbitrary bytes to the HTTP response reader as if they came from a server: the
// first byte picks the request form and how the rest is cut into received pieces.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "net/HttpResponseReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const bool version11 = (data[0] & 1) != 0;
    const size_t pieceSize = 1 + (data[0] >> 1) * 64;
    std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    HttpResponseReader reader(version11, 1 << 16);
    while (!rest.empty()) {
        const std::string_view piece = rest.substr(0, pieceSize);
        rest.remove_prefix(piece.size());
        if (!reader.add(piece)) break;
    }
    const HttpOutcome outcome = reader.finish();
    // A body or a redirect target is always made of bytes that were received.
    if (outcome.body.size() > size || outcome.location.size() > size) __builtin_trap();
    return 0;
}
