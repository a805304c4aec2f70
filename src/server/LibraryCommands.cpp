#include <ctime>

#include "library/CoverSearch.h"
#include "library/RadioSync.h"
#include "library/Repository.h"
#include "library/ScanJob.h"
#include "library/ScanWorker.h"
#include "server/CommandServices.h"
#include "server/Commands.h"
#include "server/HttpConnection.h"
#include "server/Request.h"

// The walk runs on the scan worker; a second scan while one runs does nothing.
void commandScan(CommandCall& call) {
    CommandServices& services = call.services;
    ScanJob job{services.repository, services.scanner, services.lock, services.quitRequested, {}, {}};
    services.scanWorker.start(std::move(job), std::string());
    answerOk(call.connection);
}

void commandSyncRadio(CommandCall& call) {
    syncRadioList(call.services.repository.radioList(), call.services.radioListUrl, call.services.statusBoard);
    answerOk(call.connection);
}

// Artist and album go to the catalogue still percent-encoded, as the browser sent them.
void commandFindImg(CommandCall& call) {
    const std::string album = getParam("album", call.request.rawParams);
    const std::string artist = getParam("artist", call.request.rawParams);
    const auto result = searchCover(artist, album, call.services.coverSearchHost);
    if (!result) return answerOk(call.connection);
    call.connection.appendBody(result->view());
    call.connection.sendHtml();
}
