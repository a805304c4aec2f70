#include "server/HttpConnection.h"

#include <algorithm>

#include "platform/Clock.h"
#include "platform/DiskFile.h"
#include "server/FileValidators.h"
#include "server/HttpServer.h"
#include "server/MimeTypes.h"
#include "server/PendingAnswer.h"
#include "server/ResponseFraming.h"
#include "text/ByteBuffer.h"

namespace {

constexpr size_t kBodyCapacity = 32768;
// Files are sent from memory; a larger one is answered as missing.
constexpr uint64_t kMaxFileBytes = 256ull << 20;

}  // namespace

HttpConnection::HttpConnection(HttpServer& server, TCPSocket socket, Str peer, uint32_t acceptedAt)
    : server_(server), socket_(std::move(socket)), peer_(std::move(peer)), lastActivity_(acceptedAt) {}

void HttpConnection::sendHtml() { sendResponse(body_, "text/html", false); }

void HttpConnection::sendText() { sendResponse(body_, "text/plain", false); }

void HttpConnection::sendResponse(std::string_view body, std::string_view contentType, bool cacheable,
                                  std::string_view moreHeaderLines) {
    if (answered_) return;
    std::string answer = okHeader(server_.now(), contentType, body.size(), cacheable, moreHeaderLines);
    server_.counters().countAnswer(static_cast<uint32_t>(answer.size() + body.size()));
    answer += body;
    deliver(std::move(answer));
}

void HttpConnection::sendNotFound() {
    if (answered_) return;
    server_.counters().countAnswer(0);
    deliver(std::string(kNotFoundAnswer));
}

void HttpConnection::sendForbidden() {
    if (answered_) return;
    server_.counters().countAnswer(0);
    deliver(std::string(kForbiddenAnswer));
}

// A browser that still holds this version of the file gets a short 304 instead of the bytes.
void HttpConnection::sendFile(std::string_view localPath, FileCaching caching) {
    const auto status = statDiskFile(localPath);
    if (!status || !status->isRegularFile) return sendNotFound();
    const FileValidators validators = FileValidators::of(*status);
    std::string lines = "ETag: " + validators.etag + "\r\nLast-Modified: " + validators.lastModified + "\r\n";
    lines += caching == FileCaching::kRevalidate ? "Cache-Control: no-cache\r\n" : "Cache-Control: max-age=86400\r\n";
    if (validators.matchedBy(headerBlock_)) return sendNotModified(lines);
    const auto bytes = readDiskFile(localPath, kMaxFileBytes);
    if (!bytes) return sendNotFound();
    const std::string_view view(reinterpret_cast<const char*>(bytes->data()), bytes->size());
    sendResponse(view, mimeTypeFor(localPath), true, lines);
}

void HttpConnection::sendNotModified(std::string_view headerLines) {
    if (answered_) return;
    std::string answer = notModifiedAnswer(server_.now(), headerLines);
    server_.counters().countAnswer(static_cast<uint32_t>(answer.size()));
    deliver(std::move(answer));
}

void HttpConnection::serveStatic(std::string_view requestPath) {
    // Without the leading "/" the path would name a sibling of the web folder.
    if (!requestPath.starts_with('/') || requestPath.find("..") != std::string_view::npos) {
        return sendNotFound();
    }
    sendFile(server_.webFolder() + std::string(requestPath), FileCaching::kRevalidate);
}

std::shared_ptr<PendingAnswer> HttpConnection::deferAnswer() {
    if (answered_) return std::make_shared<PendingAnswer>(server_.wakeSignal());
    answered_ = true;
    pending_ = std::make_shared<PendingAnswer>(server_.wakeSignal());
    return pending_;
}

bool HttpConnection::sendPendingAnswer() {
    std::optional<std::string> body = pending_->take();
    if (!body) return false;
    pending_.reset();
    answered_ = false;  // deferring counted as the one send; this is that send
    body_ = std::move(*body);
    sendText();
    return true;
}

// Headers may come in several pieces; a request handled before its end of headers would
// lose what follows (and the cross-site check would refuse it).
HttpConnection::Arrival HttpConnection::readRequest(uint32_t now) {
    ByteBuffer received;
    const long count = socket_.receive(received, std::min(TCPSocket::kReceiveLimit, kHeaderLimit - arrived_.size()));
    if (count < 0 || (count == 0 && arrived_.empty())) return Arrival::kGone;
    arrived_ += received.view();
    lastActivity_ = now;
    const bool complete = count == 0 || arrived_.size() >= kHeaderLimit ||
                          arrived_.find("\r\n\r\n") != std::string::npos;
    if (!complete) return Arrival::kMore;
    takeArrived();
    return Arrival::kComplete;
}

// A request line longer than one receive reaches the command cut, as it always did; the
// checks of its origin read all its headers.
void HttpConnection::takeArrived() {
    const std::string_view arrived = std::string_view(arrived_).substr(0, arrived_.find('\0'));
    const size_t headersEnd = arrived.find("\r\n\r\n");
    headerBlock_.assign(arrived.substr(0, headersEnd == std::string_view::npos ? headersEnd : headersEnd + 4));
    request_.assign(arrived.substr(0, TCPSocket::kReceiveLimit));
    arrived_.clear();
    arrived_.shrink_to_fit();
    body_.reserve(kBodyCapacity);
}

void HttpConnection::finish(uint32_t now) {
    if (!sending()) finishedAt_ = now;
}

void HttpConnection::deliver(std::string answer) {
    answered_ = true;
    outbox_.assign(std::move(answer));
    continueSending(millisecondClock());
}

void HttpConnection::continueSending(uint32_t now) {
    const size_t before = outbox_.remaining();
    const Outbox::Result result = outbox_.writeTo(socket_);
    if (outbox_.remaining() != before) lastActivity_ = now;
    if (result == Outbox::Result::Done) {
        socket_.shutdownSending();
        finishedAt_ = now;
    }
}
