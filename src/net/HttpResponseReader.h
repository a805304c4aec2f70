#pragma once
// Reads one HTTP response piece by piece as it is received and judges it once complete.
// It works on bytes only (no socket), so any byte sequence may be fed to it; it never
// reads outside the pieces and never sizes anything by a length the response claims.

#include <cstdint>
#include <string_view>

#include "text/ByteBuffer.h"
#include "text/Str.h"

struct HttpOutcome {
    enum class Kind { Body, Redirect, Failed };
    Kind kind = Kind::Failed;
    ByteBuffer body;  // Body: exactly the body, de-chunked where needed
    Str location;     // Redirect: the target as the response gave it
    Str reason;       // Failed: why, for the log

    static HttpOutcome failure(Str reason);
};

class HttpResponseReader {
public:
    // `version11` selects the HTTP/1.1 handling: the header's Content-Length and chunking
    // frame the body. Otherwise the response runs until the peer closes and is not decoded.
    // A response growing beyond `maxResponseBytes` is refused.
    HttpResponseReader(bool version11, size_t maxResponseBytes);

    // Takes the next received piece; false once no more is wanted (complete or refused).
    bool add(std::string_view piece);
    // Judges what was taken: a 200 body, a 301/302 target, or a failure. Call once.
    HttpOutcome finish();

private:
    bool refuse(const char* reason);
    bool readHeader(std::string_view firstPiece);
    HttpOutcome finishOk();
    HttpOutcome finishRedirect() const;

    bool version11_;
    size_t maxBytes_;
    ByteBuffer bytes_;
    size_t headerLength_ = 0;  // 0 while no header end was seen
    uint64_t contentLength_ = 0;
    bool chunked_ = false;
    bool lengthKnown_ = false;
    Str refusal_;
};
