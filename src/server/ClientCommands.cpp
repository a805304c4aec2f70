// Commands the web client needs beyond the original table: queue order, one folder's songs,
// the album list of the cover grid, the user's own radio stations and the scan's progress.

#include <charconv>
#include <optional>
#include <string>

#include "library/LibraryItem.h"
#include "library/Repository.h"
#include "library/RepositoryFolder.h"
#include "library/Scanner.h"
#include "server/CommandServices.h"
#include "server/Commands.h"
#include "server/HttpConnection.h"
#include "server/Request.h"
#include "text/TextSearch.h"
#include "views/LibraryPageHtml.h"
#include "views/LibraryView.h"
#include "views/PlayPosition.h"
#include "views/PlayQueue.h"
#include "views/SongRowHtml.h"

namespace {

// Digits only, nothing before or after them.
std::optional<int32_t> wholeNumber(std::string_view text) {
    int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < 0) return std::nullopt;
    return value;
}

// The raw parameter decoded on its own, so an encoded "&" stays part of the value.
std::string decodedParam(const Request& request, std::string_view name) {
    return percentDecode(getParam(name, request.rawParams));
}

bool isStationAddress(std::string_view url) {
    return isWebAddress(url) && url.find_first_of(" \t\r\n") == std::string_view::npos && url.size() > 8;
}

// The folder a "d12" or "12" argument names in the view.
RepositoryFolder* folderArgument(CommandCall& call) {
    std::string_view argument = call.request.argument;
    if (argument.starts_with('d')) argument.remove_prefix(1);
    const auto number = wholeNumber(argument);
    return number ? call.services.view.folderAt(*number, nullptr) : nullptr;
}

}  // namespace

// "&from=i&to=j", queue indices from 0.
void commandQueueMove(CommandCall& call) {
    const auto from = wholeNumber(getParam("from", call.request.params));
    const auto to = wholeNumber(getParam("to", call.request.params));
    if (!from || !to || !call.services.position.queueMove(*from, *to)) return answerError(call.connection);
    call.services.queue.save();
    answerOk(call.connection);
}

// One folder as the library page shows it, with every song of it the view lists.
void commandListFolder(CommandCall& call) {
    const RepositoryFolder* folder = folderArgument(call);
    if (!folder) return answerError(call.connection);
    LibraryView& view = call.services.view;
    std::string html;
    const bool hasArt = folderHead(html, view, view.folderNumber(folder), *folder);
    for (LibraryItem* item : view.items()) {
        if (item->folder == folder) songRow(html, *item, item->id, false, hasArt);
    }
    folderFoot(html, hasArt);
    call.connection.appendBody(html);
    call.connection.sendHtml();
}

// A line per picture of "/listcovers": folder number, picture number and the folder's
// path, separated by tabs.
void commandListAlbums(CommandCall& call) {
    const LibraryView& view = call.services.view;
    const auto folders = view.folders();
    std::string lines;
    int32_t last = -1;
    for (size_t n = 0; n < folders.size(); ++n) {
        const auto art = folderArtNumber(view, *folders[n], static_cast<int32_t>(n));
        if (!art || *art == last) continue;
        last = *art;
        lines += std::to_string(n) + '\t' + std::to_string(*art) + '\t' + std::string(folders[n]->path()) + '\n';
    }
    call.connection.appendBody(lines);
    call.connection.sendText();
}

// "&name=...&url=...": the url a web address, of a playlist or a stream.
void commandRadioAdd(CommandCall& call) {
    const std::string name = decodedParam(call.request, "name");
    const std::string url = decodedParam(call.request, "url");
    const bool nameOk = !name.empty() && name.find_first_of("\r\n") == std::string::npos;
    if (!nameOk || !isStationAddress(url)) return answerError(call.connection);
    if (!call.services.repository.radioList().addOwnStation(name, url)) return answerError(call.connection);
    answerOk(call.connection);
}

// "&id=n": only the user's own stations can go.
void commandRadioRemove(CommandCall& call) {
    const auto id = wholeNumber(getParam("id", call.request.params));
    if (!id || !call.services.repository.removeOwnStation(*id)) return answerError(call.connection);
    answerOk(call.connection);
}

// The progress of a scan and of the tag reading after it, and the last scan's summary:
// "SCANNING 0|1", "FILES n", "FOLDERS n" (seen by the running scan), "TAGS_PENDING n",
// "SCANS n" (merges so far) and "LAST files added removed".
void commandScanStatus(CommandCall& call) {
    CommandServices& s = call.services;
    const Repository::ScanTally& tally = s.repository.scanTally;
    std::string lines = "SCANNING " + std::to_string(s.scanRunning ? 1 : 0) + "\n";
    lines += "FILES " + std::to_string(s.scanner.filesSeen()) + "\n";
    lines += "FOLDERS " + std::to_string(s.scanner.directoriesSeen()) + "\n";
    lines += "TAGS_PENDING " + std::to_string(s.repository.pendingTags.size()) + "\n";
    lines += "SCANS " + std::to_string(tally.scans) + "\n";
    lines += "LAST " + std::to_string(tally.files) + " " + std::to_string(tally.added) + " " +
             std::to_string(tally.removed) + "\n";
    call.connection.appendBody(lines);
    call.connection.sendText();
}
