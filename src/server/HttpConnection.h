#pragma once
// One accepted connection: the request that arrived on it and the one answer it gets. Lives
// on the server thread. The request handler reads the request, fills the body if it likes and
// calls exactly one send operation; sends after the first are ignored.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "net/TCPSocket.h"
#include "server/Outbox.h"
#include "text/Str.h"

class HttpServer;
class PendingAnswer;

class HttpConnection {
public:
    HttpConnection(HttpServer& server, TCPSocket socket, Str peer, uint32_t acceptedAt);

    HttpServer& server() const { return server_; }
    // The peer's IPv4 address as a dotted quad.
    const Str& peer() const { return peer_; }
    // The request as it arrived (at most 8096 bytes), up to its first NUL byte.
    const Str& request() const { return request_; }
    // The request line and the header lines, up to the end of the headers or kHeaderLimit
    // bytes, whichever comes first, and likewise cut at a NUL byte.
    std::string_view headerBlock() const { return headerBlock_; }
    static constexpr size_t kHeaderLimit = 65536;

    std::string_view body() const { return body_; }
    void appendBody(std::string_view text) { body_ += text; }

    // The body as an HTML page or fragment that must not be cached.
    void sendHtml();
    // The body as plain text that must not be cached.
    void sendText();
    void sendResponse(std::string_view body, std::string_view contentType, bool cacheable,
                      std::string_view moreHeaderLines = {});
    void sendNotFound();
    void sendForbidden();
    // The client's own files are checked with us at every use; pictures are kept a day.
    enum class FileCaching { kRevalidate, kOneDay };
    // The whole file as a cacheable answer typed by mimeTypeFor, with its validators; a 304
    // when the request names the version it holds; 404 when it cannot be read.
    void sendFile(std::string_view localPath, FileCaching caching);
    // A request path under the web folder; 404 for a path with ".." or without a leading "/".
    void serveStatic(std::string_view requestPath);

    // For a command that answers from another thread: the answer that thread fills. It
    // counts as this connection's one send; the server sends it once it is filled.
    std::shared_ptr<PendingAnswer> deferAnswer();

    // The millisecond clock when the request was handled and its answer handed to the socket.
    uint32_t finishedAt() const { return finishedAt_; }

private:
    friend class HttpServer;

    int handle() const { return socket_.handle(); }
    enum class Arrival { kMore, kComplete, kGone };
    // Takes what has arrived. The request is complete at the end of its headers, at
    // kHeaderLimit bytes, or when the peer has finished sending; kGone when the
    // peer closed or failed before sending anything.
    Arrival readRequest(uint32_t now);
    bool hasPartialRequest() const { return !arrived_.empty(); }
    // What has arrived becomes the request, complete or not.
    void takeArrived();
    // Called after the handler returned.
    void finish(uint32_t now);
    bool sending() const { return outbox_.remaining() > 0; }
    bool awaitingAnswer() const { return pending_ != nullptr; }
    // Sends the deferred answer once it has been filled; false while it has not.
    bool sendPendingAnswer();
    // Passes on more of the answer; once it is all out, ends the sending side so the peer
    // sees the end of the answer at once.
    void continueSending(uint32_t now);
    uint32_t lastActivity() const { return lastActivity_; }

    void sendNotModified(std::string_view headerLines);
    void deliver(std::string answer);

    HttpServer& server_;
    TCPSocket socket_;
    Str peer_;
    Str request_;
    std::string headerBlock_;
    std::string arrived_;  // the request so far
    std::string body_;
    Outbox outbox_;
    std::shared_ptr<PendingAnswer> pending_;
    bool answered_ = false;
    uint32_t lastActivity_;
    uint32_t finishedAt_ = 0;
};
