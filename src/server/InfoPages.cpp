#include "server/CommandServices.h"
#include "server/Commands.h"
#include "server/HttpConnection.h"
#include "audio/AudioEngine.h"
#include "platform/Clock.h"
#include "server/HttpServer.h"
#include "server/ServerThread.h"
#include "storage/FileStore.h"
#include "text/Format.h"
#include "text/Str.h"

void commandGetInfoFs(CommandCall& call) {
    Str statistics;
    call.services.store.storeStatistics(statistics);
    call.connection.appendBody(statistics);
    call.connection.sendHtml();
}

void commandGetInfo(CommandCall& call) {
    const ServerCounters& counters = call.connection.server().counters();
    Str page("VelmorantPlayer version: 1.00 Beta 1<br>");
    page.append(call.services.audioEngine->infoText().view());
    page.append("Uptime: ").append(formatDuration(static_cast<int32_t>(processUptimeSeconds())).view()).append("<br>");
    page.append("Requests count: ").appendInt(static_cast<int32_t>(counters.requestCount())).append(", ");
    page.append("Data sent: ").append(formatSize(counters.bytesSent()).view()).append("<br>");
    call.connection.appendBody(page.view());
    call.connection.sendHtml();
}
