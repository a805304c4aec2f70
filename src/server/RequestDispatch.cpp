#include "server/RequestDispatch.h"

#include <cstdio>
#include <ctime>
#include <optional>
#include <string>

#include "platform/WakingMutex.h"
#include "server/CommandServices.h"
#include "server/CommandTable.h"
#include "server/Commands.h"
#include "server/HttpConnection.h"
#include "server/HttpServer.h"
#include "server/Request.h"
#include "server/RequestOrigin.h"
#include "storage/FileStore.h"

namespace {

void logRequest(const HttpConnection& connection, const Request& request) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::printf("Connection %02d:%02d:%02d from [%s] %s %s\n", local.tm_hour, local.tm_min, local.tm_sec,
                connection.peer().c_str(), request.method.c_str(), request.path.c_str());
    if (!request.argument.empty()) std::printf("Params: %s\n", request.argument.c_str());
}

void logRefusal(const HttpConnection& connection, const Request& request, const std::string& reason) {
    std::printf("Refused [%s] %s %s: %s\n", connection.peer().c_str(), request.method.c_str(), request.path.c_str(),
                reason.c_str());
}

// Static files are refused only to pages of other hosts; commands also to other sites' pages.
std::optional<std::string> refusalReason(const HttpConnection& connection, bool command) {
    const HttpServer& server = connection.server();
    const std::string_view headers = connection.headerBlock();
    auto reason = foreignHostReason(headers, [&server](std::string_view host) { return server.isOwnHost(host); });
    if (!reason && command) reason = crossSiteReason(headers);
    return reason;
}

}  // namespace

void handleRequest(HttpConnection& connection, CommandServices& services, WakingMutex& lock) {
    if (!connection.server().isAllowed(connection.peer().view())) {
        connection.sendForbidden();
        return;
    }
    const Request request = parseRequest(connection.request().view());
    const Command* command = findCommand(request.path);
    if (const auto reason = refusalReason(connection, command != nullptr)) {
        logRefusal(connection, request, *reason);
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
    const uint64_t storeChanges = services.store.changeCount();
    command->run(call);
    // A user's change (a rating, a folded folder) reaches the disk within a second.
    if (services.store.changeCount() != storeChanges) services.store.storeFlushSoon();
}
