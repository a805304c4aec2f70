#include "server/ServerThread.h"

#include "platform/ThreadName.h"
#include "server/HttpServer.h"

HttpServer* theHttpServer = nullptr;

void runServerThread(ServerConfig config, RequestHandler& handler, std::atomic<bool>& running,
                     const std::atomic<bool>& quit) {
    nameThisThread("vm-server");
    running = true;
    {
        HttpServer server(std::move(config), handler);
        if (server.start()) {
            theHttpServer = &server;
            server.serve(quit);
            theHttpServer = nullptr;
        }
    }
    running = false;
}
