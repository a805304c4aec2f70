#include "server/CommandServices.h"
#include "server/Commands.h"
#include "server/HttpConnection.h"
#include "server/Request.h"
#include "storage/FileStore.h"
#include "text/TextSearch.h"

// A music folder moved on disk: its stored lists follow it. The raw parameters keep an
// encoded "&" inside a path.
void commandMoveDir(CommandCall& call) {
    const std::string source = percentDecode(getParam("source", call.request.rawParams));
    const std::string dest = percentDecode(getParam("dest", call.request.rawParams));
    call.services.store.storeRenamePrefix(source, dest);
    answerOk(call.connection);
}

void commandFlush(CommandCall& call) {
    call.services.store.storeExportAll();
    answerOk(call.connection);
}
