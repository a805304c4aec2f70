#include "library/CoverSearch.h"
#include "library/RadioSync.h"
#include "library/Repository.h"
#include "library/RepositoryFolder.h"
#include "library/ScanJob.h"
#include "library/ScanWorker.h"
#include "library/StatusBoard.h"
#include "server/CommandServices.h"
#include "server/Commands.h"
#include "server/HttpConnection.h"
#include "server/Request.h"
#include "text/Decimal.h"
#include "views/LibraryView.h"
#include "views/PlayPosition.h"

// The walk runs on the scan worker; a second scan while one runs does nothing. A folder
// number asks for that one folder, unless it is a music folder itself.
void commandScan(CommandCall& call) {
    CommandServices& services = call.services;
    std::string singlePath;
    if (!call.request.argument.empty()) {
        const RepositoryFolder* folder = services.position.folderAt(decimalValue(call.request.argument));
        if (folder && folder->parent()) singlePath = folder->path().str();
    }
    LibraryView& view = services.view;
    ScanJob job{services.repository, services.scanner, services.lock, services.quitRequested,
                [&view] { return view.folders(); }, [&view](bool resetPage) { view.rebuildView(resetPage); }};
    services.scanWorker.start(std::move(job), std::move(singlePath));
    answerOk(call.connection);
}

// No configured list is not a failure: the user is told, not alarmed.
void commandSyncRadio(CommandCall& call) {
    if (call.services.radioListUrl.empty()) {
        call.services.statusBoard.postInfo("No published radio list is configured (RADIO_LIST_URL).");
        return answerOk(call.connection);
    }
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
    call.connection.appendBody(std::string_view("\0", 1));  // answers end in a NUL
    call.connection.sendHtml();
}
