#include "server/CommandServices.h"
#include "server/Commands.h"
#include "server/HttpConnection.h"
#include "storage/FileStore.h"
#include "text/Str.h"

void commandGetInfoFs(CommandCall& call) {
    Str statistics;
    call.services.store.storeStatistics(statistics);
    call.connection.appendBody(statistics);
    call.connection.sendHtml();
}
