#include "app/LocalCommand.h"

#include "app/ServerSettings.h"
#include "net/HostInfo.h"
#include "net/TCPSocket.h"

int localPort(const std::string& programFolder) {
    if (theServerSettings) return theServerSettings->port;
    ServerSettings settings;
    settings.load(programFolder + "serversettings.ini");
    return settings.port;
}

StartResult sendLocalCommand(std::string_view command, const std::string& programFolder) {
    TCPSocket socket(localPort(programFolder));
    if (!socket.valid()) return StartResult::failure("invalid socket");
    const HostInfo host = lookupHost("127.0.0.1");
    if (!host.found()) return StartResult::failure("error");
    if (!socket.connect(host.addressText().view())) return StartResult::failure("connect error");
    std::string request = "GET /";
    request += command;
    socket.send(request);
    return StartResult::success();
}
