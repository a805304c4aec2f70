#include <ctime>
#include <string>

#include "library/LibrarySummary.h"
#include "library/Repository.h"
#include "server/CommandServices.h"
#include "server/Commands.h"
#include "server/HttpConnection.h"
#include "views/DiagnosticPagesHtml.h"
#include "views/FilterHtml.h"
#include "views/FilterSet.h"
#include "views/LibraryPageHtml.h"
#include "views/LibraryView.h"
#include "views/PlayQueue.h"
#include "views/RadioListHtml.h"

namespace {

void sendPage(HttpConnection& connection, const std::string& html) {
    connection.appendBody(html);
    connection.sendHtml();
}

// The local month from 0 and the day of the month, as in "11-6" for 6 December.
std::string todaysKey() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return std::to_string(local.tm_mon) + "-" + std::to_string(local.tm_mday);
}

}  // namespace

void commandList(CommandCall& call) {
    CommandServices& s = call.services;
    std::string html;
    renderLibraryPage(html, s.view, s.queue, s.repository, s.filters, false);
    sendPage(call.connection, html);
}

void commandListQueue(CommandCall& call) {
    CommandServices& s = call.services;
    std::string html;
    renderLibraryPage(html, s.view, s.queue, s.repository, s.filters, true);
    sendPage(call.connection, html);
}

// The first list of the day also fetches the published radio list, as a request of its own
// that runs after this one; without a list address there is nothing to fetch.
void commandListRadio(CommandCall& call) {
    std::string html;
    renderRadioList(html, call.services.repository.radioList());
    sendPage(call.connection, html);
    if (call.services.radioListUrl.empty()) return;
    const std::string today = todaysKey();
    if (call.services.repository.getSetting("RADIO_SYNCED_DATE").view() == today) return;
    call.services.repository.setSetting("RADIO_SYNCED_DATE", today);
    call.services.sendLocalCommand("syncradio");
}

void commandListCovers(CommandCall& call) {
    std::string html;
    renderCoversPage(html, call.services.view);
    sendPage(call.connection, html);
}

void commandListFilter(CommandCall& call) {
    std::string html;
    renderFilterTable(html, call.services.filters);
    sendPage(call.connection, html);
}

// The names as they are, separated by ";": text, not a page.
void commandListFilterSelect(CommandCall& call) {
    std::string names;
    renderFilterNames(names, call.services.filters);
    call.connection.appendBody(names);
    call.connection.sendText();
}

void commandGetInfoDb(CommandCall& call) {
    std::string html;
    renderLibraryDump(html, call.services.repository);
    sendPage(call.connection, html);
}

void commandGetInfoLibrary(CommandCall& call) {
    std::string html;
    renderLibrarySummary(html, summariseLibrary(call.services.repository));
    sendPage(call.connection, html);
}
