#pragma once
// Outgoing HTTP GET for station playlists, the published radio list, pictures and the
// cover catalogue.

#include <atomic>
#include <cstddef>
#include <string_view>

#include "text/ByteBuffer.h"

// Time-outs of 0 wait as long as the system does.
struct FetchOptions {
    int connectTimeoutMs = 10000;
    int receiveTimeoutMs = 10000;  // per receive, and for sending the request
    size_t maxResponseBytes = size_t{64} << 20;
    // The whole fetch: connect, redirects and body together (the host look-up excepted).
    int deadlineMs = 15000;
    // Once set, the fetch gives up within about 100 ms (a shutdown must not wait for a slow server).
    const std::atomic<bool>* callOff = nullptr;
};

// Fetches an "http://" URL (an explicit port is honoured, else 80) on the calling thread,
// following at most four 301/302 redirects. `version11` chooses the HTTP/1.1 request,
// which frames the body by Content-Length or chunking, over the HTTP/1.0 one, which reads
// until the server closes. True only for a final 200 whose header and body arrived whole;
// `result` then holds exactly the body. Failures are logged on standard output; a
// silent or dripping server costs at most the deadline.
bool fetchUrl(std::string_view url, ByteBuffer& result, bool version11,
              const FetchOptions& options = {});
