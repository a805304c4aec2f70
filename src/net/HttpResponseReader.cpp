#include "net/HttpResponseReader.h"

#include <algorithm>
#include <charconv>
#include <optional>

#include "net/Dechunk.h"
#include "text/TextSearch.h"

namespace {

constexpr size_t kShortestResponse = 16;
constexpr std::string_view kContentLength = "Content-Length: ";
constexpr std::string_view kLocation = "Location: ";

// The decimal number at the start of a header value, read the way atoi reads it (no digits
// give 0); nullopt for a negative or overlong number.
std::optional<uint64_t> headerNumber(std::string_view text) {
    text.remove_prefix(std::min(text.find_first_not_of(" \t"), text.size()));
    if (text.starts_with('-')) return std::nullopt;
    if (text.starts_with('+')) text.remove_prefix(1);
    uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc::result_out_of_range) return std::nullopt;
    return value;
}

}  // namespace

HttpOutcome HttpOutcome::failure(Str reason) {
    HttpOutcome outcome;
    outcome.reason = std::move(reason);
    return outcome;
}

HttpResponseReader::HttpResponseReader(bool version11, size_t maxResponseBytes)
    : version11_(version11), maxBytes_(maxResponseBytes) {}

bool HttpResponseReader::refuse(const char* reason) {
    refusal_ = reason;
    return false;
}

bool HttpResponseReader::add(std::string_view piece) {
    if (!refusal_.empty()) return false;
    if (bytes_.empty()) {
        if (!readHeader(piece)) return false;
    } else if (headerLength_ == 0) {
        return refuse("the header did not arrive in one piece");
    }
    if (bytes_.size() + piece.size() > maxBytes_) return refuse("the response is too large");
    bytes_.append(piece);
    return !(lengthKnown_ && !chunked_ && bytes_.size() >= headerLength_ + contentLength_);
}

bool HttpResponseReader::readHeader(std::string_view piece) {
    if (piece.size() < kShortestResponse ||
        !(piece.starts_with("HTTP/1.0") || piece.starts_with("HTTP/1.1"))) {
        return refuse("no HTTP/1.x status line");
    }
    const size_t headerEnd = findBounded(piece.size(), piece, "\r\n\r\n");
    headerLength_ = headerEnd == std::string_view::npos ? 0 : headerEnd + 4;
    if (!version11_) return true;
    lengthKnown_ = true;
    chunked_ = findNoCaseBounded(headerLength_, piece, "Transfer-Encoding: chunked") !=
               std::string_view::npos;
    const size_t key = findNoCaseBounded(headerLength_, piece, kContentLength);
    if (key == std::string_view::npos) return true;
    const std::optional<uint64_t> length = headerNumber(piece.substr(key + kContentLength.size()));
    if (!length) return refuse("malformed Content-Length");
    if (*length > maxBytes_) return refuse("the announced body is too large");
    contentLength_ = *length;
    return true;
}

HttpOutcome HttpResponseReader::finish() {
    if (!refusal_.empty()) return HttpOutcome::failure(refusal_);
    if (bytes_.size() < kShortestResponse) return HttpOutcome::failure("no response");
    const std::optional<uint64_t> status = headerNumber(bytes_.view().substr(9));
    if (status == 200u) return finishOk();
    if (status == 301u || status == 302u) return finishRedirect();
    return HttpOutcome::failure(Str("status ").append(bytes_.view().substr(9, 3)));
}

HttpOutcome HttpResponseReader::finishOk() {
    if (headerLength_ == 0) return HttpOutcome::failure("no header end in the first piece");
    if (lengthKnown_ && !chunked_ && bytes_.size() < headerLength_ + contentLength_) {
        return HttpOutcome::failure("the body is shorter than its Content-Length");
    }
    HttpOutcome outcome;
    outcome.kind = HttpOutcome::Kind::Body;
    outcome.body = std::move(bytes_);
    outcome.body.erase(0, headerLength_);
    if (chunked_ && !dechunk(outcome.body)) return HttpOutcome::failure("malformed chunked body");
    return outcome;
}

HttpOutcome HttpResponseReader::finishRedirect() const {
    const std::string_view response = bytes_.view();
    const size_t key = findNoCase(response, kLocation);
    if (key == std::string_view::npos) return HttpOutcome::failure("redirect without Location");
    HttpOutcome outcome;
    outcome.kind = HttpOutcome::Kind::Redirect;
    const std::string_view target = response.substr(key + kLocation.size());
    outcome.location = target.substr(0, lineEnd(target));
    return outcome;
}
