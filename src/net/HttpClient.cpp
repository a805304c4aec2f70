#include "net/HttpClient.h"

#include <cstdio>

#include "net/HttpResponseReader.h"
#include "net/HttpUrl.h"
#include "net/TCPSocket.h"

namespace {

constexpr int kMaxAttempts = 5;  // the first request and four redirects
constexpr std::string_view kUserAgent = "VelmorantPlayer/1.00 Beta 1";
constexpr int kLingerSeconds = 10;

Str requestFor(const HttpUrl& url, bool version11) {
    Str request = Str::concat("GET ", url.path);
    if (version11) {
        request.append(" HTTP/1.1\r\nHost: ").append(url.authority);
        request.append("\r\nUser-Agent: ").append(kUserAgent);
        request.append("\r\nConnection: close\r\n\r\n");
    } else {
        request.append(" HTTP/1.0\r\nUser-Agent: ").append(kUserAgent).append("\r\n\r\n");
    }
    return request;
}

bool refused(std::string_view url, std::string_view reason) {
    std::printf("fetchUrl: %.*s (%.*s)\n", static_cast<int>(reason.size()), reason.data(),
                static_cast<int>(url.size()), url.data());
    return false;
}

// One request on a connection of its own, and its response.
HttpOutcome exchange(const HttpUrl& url, bool version11, const FetchOptions& options) {
    TCPSocket socket(url.port);
    socket.setLinger(kLingerSeconds);
    socket.makeBlocking();
    if (!socket.connect(url.host, options.connectTimeoutMs)) {
        return HttpOutcome::failure("no connection");
    }
    socket.setReceiveTimeout(options.receiveTimeoutMs);
    socket.setSendTimeout(options.receiveTimeoutMs);
    if (!socket.send(requestFor(url, version11))) {
        return HttpOutcome::failure("the request was not sent");
    }
    HttpResponseReader reader(version11, options.maxResponseBytes);
    for (;;) {
        ByteBuffer piece;
        const long received = socket.receive(piece);
        if (received < 0) {
            return HttpOutcome::failure("no answer in time, or the connection failed");
        }
        if (received == 0 || !reader.add(piece.view())) break;
    }
    return reader.finish();
}

}  // namespace

bool fetchUrl(std::string_view url, ByteBuffer& result, bool version11,
              const FetchOptions& options) {
    Str current(url);
    std::optional<HttpUrl> target = HttpUrl::parse(current);
    if (!target) return refused(current, "not a usable http:// URL");
    for (int attempt = 1;; ++attempt) {
        HttpOutcome outcome = exchange(*target, version11, options);
        switch (outcome.kind) {
            case HttpOutcome::Kind::Body: result = std::move(outcome.body); return true;
            case HttpOutcome::Kind::Failed: return refused(current, outcome.reason);
            case HttpOutcome::Kind::Redirect: break;
        }
        if (attempt == kMaxAttempts) return refused(current, "too many redirects");
        current = std::move(outcome.location);
        target = HttpUrl::parse(current);
        if (!target) return refused(current, "redirect to a location that is not http://");
    }
}
