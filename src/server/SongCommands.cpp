#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "audio/SongPlayer.h"
#include "library/LibraryItem.h"
#include "library/RadioList.h"
#include "library/Repository.h"
#include "platform/Desktop.h"
#include "library/RepositoryFolder.h"
#include "server/CommandServices.h"
#include "server/Commands.h"
#include "server/HttpConnection.h"
#include "server/Request.h"
#include "storage/Node.h"
#include "text/Decimal.h"
#include "views/LibraryView.h"
#include "views/PlayPosition.h"

namespace {

LibraryItem* namedItem(CommandCall& call) {
    return call.services.position.itemByNumber(decimalValue(getParam("id", call.request.params)));
}

// Stars from 0 (none) to 5, as one digit: anything else would be stored as it came.
bool isRating(std::string_view value) { return value.size() == 1 && value[0] >= '0' && value[0] <= '5'; }

// A stored time the C library cannot write (past the year 9999) gives no line.
std::string addedLine(const char* added) {
    const std::time_t seconds = std::atol(added);
    std::tm utc{};
    char text[32];
    if (!gmtime_r(&seconds, &utc) || !asctime_r(&utc, text)) return {};
    return "ADDED " + std::string(text) + "\n";
}

}  // namespace

void commandGetSongInfo(CommandCall& call) {
    const LibraryItem* item = namedItem(call);
    if (!item) return answerOk(call.connection);
    const Node& entry = *item->node();
    std::string lines = "FILE " + std::string(entry.value()) + "\n";
    lines += "PATH " + (item->folder ? std::string(item->folder->path()) : std::string()) + "\n";
    for (const char* key : {"TITLE", "ARTIST", "ALBUM", "GENRE", "RATE", "YEAR", "TRACK", "PLAYCOUNT"}) {
        lines.append(key).append(" ").append(entry.childValue(key, "-")).append("\n");
    }
    if (const char* added = entry.childValue("ADDED", nullptr)) lines += addedLine(added);
    call.connection.appendBody(lines);
    call.connection.sendText();
}

// One value per token, in the order of the tokens; an entry without the field gives "".
void commandGetData(CommandCall& call) {
    if (const LibraryItem* item = namedItem(call)) {
        for (int occurrence = 0;; ++occurrence) {
            bool found = false;
            const std::string token = getParam("token", call.request.params, occurrence, found);
            if (!found) break;
            call.connection.appendBody(item->node()->childValue(token, ""));
            call.connection.appendBody("\n");
        }
    }
    call.connection.sendText();
}

void commandSetRate(CommandCall& call) {
    const std::string rate = getParam("value", call.request.params);
    if (!isRating(rate)) {
        std::printf("Refusing the rating \"%s\": it is not a number from 0 to 5\n", rate.c_str());
        return answerError(call.connection);
    }
    if (LibraryItem* item = namedItem(call)) {
        call.services.view.rateEntry(*item, rate);
        if (item->node()->hasName("RADIO")) {
            call.services.repository.radioList().save();
        } else if (item->folder) {
            item->folder->save();
        }
    }
    answerOk(call.connection);
}

void commandRescanTags(CommandCall& call) {
    call.services.view.queueAllForTags();
    answerOk(call.connection);
}

void commandSongAction(CommandCall& call) {
    const LibraryItem* item = namedItem(call);
    if (item && item->folder && getParam("action", call.request.rawParams) == "openfolder") {
        openWithDesktop(item->folder->path());
    }
    answerOk(call.connection);
}

void commandPrintTitle(CommandCall& call) {
    Str title;
    Str artist;
    if (call.services.player->isEndless()) {
        Str album;
        call.services.player->readStreamTitle(title, artist, album);
        if (title.empty()) title = "unknown title";
    } else if (const LibraryItem* item = call.services.position.currentItem()) {
        title = item->node()->childValue("TITLE", item->node()->value());
        artist = item->node()->childValue("ARTIST", "");
    }
    call.connection.appendBody(artist.empty() ? title.str() : artist.str() + " - " + title.str());
    call.connection.sendText();
}

void commandFetchEq(CommandCall& call) {
    Repository& repository = call.services.repository;
    std::string text = "<EQ>";
    for (int band = 0; band < 3; ++band) {
        const std::string prefix = "EQ_" + std::to_string(band) + "_";
        text += "<CENTER>" + repository.getSetting(prefix + "CENTER").str() + "</CENTER>\n";
        text += "<BANDWIDTH>" + repository.getSetting(prefix + "BANDWIDTH").str() + "</BANDWIDTH>\n";
        text += "<GAIN>" + repository.getSetting(prefix + "GAIN").str() + "</GAIN>\n";
    }
    call.connection.appendBody(text + "</EQ>");
    call.connection.sendText();
}
