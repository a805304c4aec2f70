#include "server/RequestDispatch.h"

#include <cstdio>
#include <ctime>

#include "net/TCPSocket.h"
#include "server/CommandTable.h"
#include "server/Commands.h"
#include "server/HttpConnection.h"
#include "server/HttpServer.h"
#include "server/Request.h"
#include "text/TextSearch.h"

namespace {

void logRequest(const HttpConnection& connection, const Request& request) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::printf("Connection %02d:%02d:%02d from [%s] %s %s\n", local.tm_hour, local.tm_min, local.tm_sec,
                connection.peer().c_str(), request.method.c_str(), request.path.c_str());
    if (!request.argument.empty()) std::printf("Params: %s\n", request.argument.c_str());
}

std::string_view headerValue(std::string_view requestText, std::string_view name) {
    std::string key = "\n";
    key.append(name).append(":");
    const size_t line = findNoCase(requestText, key);
    if (line == std::string_view::npos) return {};
    std::string_view value = requestText.substr(line + name.size() + 2);
    value = value.substr(0, lineEnd(value));
    while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
    while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.remove_suffix(1);
    return value;
}

}  // namespace

bool isCrossSiteRequest(std::string_view requestText) {
    if (requestText.find("\r\n\r\n") != std::string_view::npos) {
        return headerValue(requestText, "Sec-Fetch-Site") == "cross-site";
    }
    // Without the end of the headers only the bare "GET /word" of a second start may pass;
    // anything else was cut short, and its mark may be in the part that was lost.
    const bool bare = requestText.find_first_of("\r\n") == std::string_view::npos &&
                      requestText.size() < TCPSocket::kReceiveLimit;
    return !bare;
}

void handleRequest(HttpConnection& connection, CommandServices& services, std::recursive_mutex& lock) {
    if (!connection.server().isAllowed(connection.peer().view())) {
        connection.sendForbidden();
        return;
    }
    const Request request = parseRequest(connection.request().view());
    const Command* command = findCommand(request.path);
    if (command && isCrossSiteRequest(connection.request().view())) {
        connection.sendForbidden();
        return;
    }
    const std::lock_guard guard(lock);
    logRequest(connection, request);
    if (!command) {
        connection.serveStatic(request.path);
        return;
    }
    CommandCall call{connection, request, services};
    command->run(call);
}
