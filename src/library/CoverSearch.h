#pragma once
// The album cover catalogue search (serversettings.ini COVER_SEARCH_HOST).

#include <optional>
#include <string_view>

#include "text/ByteBuffer.h"
#include "text/Str.h"

struct FetchOptions;

// The catalogue's item search address on `host` (host[:port]); artist and album go in as
// given, still percent-encoded, each only when not empty.
Str coverSearchUrl(std::string_view artist, std::string_view album, std::string_view host);
// Fetches it (HTTP/1.0); the answer's body unread, or nothing when the request failed.
// Blocks while fetching; needs no lock.
std::optional<ByteBuffer> searchCover(std::string_view artist, std::string_view album, std::string_view host,
                                      const FetchOptions& options);
