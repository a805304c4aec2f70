#pragma once
// What the server calls for every request that arrived.

class HttpConnection;

class RequestHandler {
public:
    virtual ~RequestHandler() = default;
    // Runs on the server thread, one request at a time; answers through the connection's send
    // operations. The base does nothing. The server ignores the result.
    virtual bool handle(HttpConnection& connection);
};
