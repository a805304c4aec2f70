#pragma once
// The web server's thread body, and the server it runs for the pages that report on it.

#include <atomic>

#include "server/ServerConfig.h"

class HttpServer;
class RequestHandler;

// Sets `running`, starts the server and serves until `quit` is set (seen at once with the
// configuration's quit handle, else within about 100 ms), then closes everything and clears
// `running`. When the port cannot be bound it reports the socket error and returns at once.
// The handler must outlive the call.
void runServerThread(ServerConfig config, RequestHandler& handler, std::atomic<bool>& running,
                     const std::atomic<bool>& quit);

// The server runServerThread runs, null outside it. Read it on the server thread only
// (from inside a request).
extern HttpServer* theHttpServer;
