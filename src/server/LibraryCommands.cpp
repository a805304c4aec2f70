#include <mutex>

#include "audio/CandidateTags.h"
#include "library/CoverSearch.h"
#include "library/RadioSync.h"
#include "library/Repository.h"
#include "library/RepositoryFolder.h"
#include "library/ScanJob.h"
#include "library/ScanWorker.h"
#include "library/StatusBoard.h"
#include "platform/WakingMutex.h"
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
        if (folder && folder->parent()) singlePath = std::string(folder->path());
    }
    startLibraryScan(services, std::move(singlePath));
    answerOk(call.connection);
}

bool startLibraryScan(CommandServices& services, std::string singlePath) {
    LibraryView& view = services.view;
    ScanJob job{services.repository, services.scanner, services.lock, services.quitRequested,
                [&view] { return view.folders(); }, [&view](bool resetPage) { view.rebuildView(resetPage); },
                &services.scanMark, readCandidateTags};
    return services.scanWorker.start(std::move(job), std::move(singlePath));
}

// Answered once the list is merged, or the failure posted. No configured list is not a
// failure: the user is told, not alarmed.
void commandSyncRadio(CommandCall& call) {
    CommandServices& services = call.services;
    if (services.radioListUrl.empty()) {
        services.statusBoard.postInfo("No published radio list is configured (RADIO_LIST_URL).");
        return answerOk(call.connection);
    }
    answerAfterFetch(
        call,
        [&services, url = services.radioListUrl](const FetchOptions& options) {
            const std::optional<ByteBuffer> fetched = fetchRadioList(url, options);
            const std::lock_guard guard(services.lock);
            mergeRadioList(services.repository.radioList(), fetched, services.statusBoard);
            return std::string("ok");
        },
        "ok");
}

// Artist and album go to the catalogue still percent-encoded, as the browser sent them. Its
// answer is another server's text, so it goes out as text, never as a page of ours.
void commandFindImg(CommandCall& call) {
    const std::string album = getParam("album", call.request.rawParams);
    const std::string artist = getParam("artist", call.request.rawParams);
    answerAfterFetch(
        call,
        [artist, album, host = call.services.coverSearchHost](const FetchOptions& options) {
            const auto result = searchCover(artist, album, host, options);
            if (!result) return std::string("ok");
            std::string body(result->view());
            return body.append(1, '\0');  // answers end in a NUL
        },
        "ok");
}
