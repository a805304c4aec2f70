#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>

#include "audio/SongPlayer.h"
#include "library/LibraryItem.h"
#include "library/Repository.h"
#include "library/RepositoryFolder.h"
#include "library/Scanner.h"
#include "library/StatusBoard.h"
#include "server/CommandServices.h"
#include "server/Commands.h"
#include "server/FolderPicture.h"
#include "server/HttpConnection.h"
#include "storage/Node.h"
#include "text/Decimal.h"
#include "text/Encoding.h"
#include "views/FilterSet.h"
#include "views/LibraryView.h"
#include "views/PlayNumbers.h"
#include "views/PlayPosition.h"
#include "views/PlayQueue.h"

namespace {

// Folder names are UTF-8 on this system; only a name in a legacy 8-bit encoding is
// converted, as Latin-1.
std::string pathText(std::string_view path) {
    return isValidUtf8(path) ? std::string(path) : latin1ToUtf8(path);
}

class Feed {
public:
    void line(std::string_view key, std::string_view value) {
        text_.append(key).append(" ").append(value).append("\n");
    }
    void line(std::string_view key, int64_t value) { line(key, std::to_string(value)); }
    const std::string& text() const { return text_; }

private:
    std::string text_;
};

std::string minutesAndSeconds(unsigned milliseconds) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%02u:%02u", milliseconds / 60000, (milliseconds / 1000) % 60);
    return buffer;
}

// Thousandths of the song; a song whose length is unknown (0) is at 0.
int64_t positionPermille(const SongPlayer& player, unsigned positionMs, unsigned lengthMs) {
    if (player.isEndless() || !player.isPlaying() || lengthMs == 0) return 0;
    return static_cast<int64_t>(1000.0 / lengthMs * positionMs);
}

// Position and length are read once, so the lines agree with each other.
void writePlayer(Feed& feed, CommandServices& s) {
    const SongPlayer& player = *s.player;
    const unsigned positionMs = player.positionMs();
    const unsigned lengthMs = player.lengthMs();
    if (player.isEndless()) {
        char percent[16];
        std::snprintf(percent, sizeof percent, "%02u%%", player.bufferedPercent());
        feed.line("TIME", percent);
    } else {
        feed.line("TIME", minutesAndSeconds(lengthMs));
    }
    feed.line("TIMEPLAYING", minutesAndSeconds(positionMs));
    feed.line("POSITION", positionPermille(player, positionMs, lengthMs));
}

void writeStreamSong(Feed& feed, CommandServices& s, const Node& entry) {
    Str title;
    Str artist;
    Str album;
    s.player->readStreamTitle(title, artist, album);
    feed.line("TITLE", title.empty() ? "unknown title" : title.view());
    feed.line("ARTIST", artist.view());
    feed.line("ALBUM", album.view());
    for (const char* key : {"HOMEURL", "HISTORY", "STATION"}) {
        if (const char* value = entry.childValue(key, nullptr)) {
            feed.line("PATH", value);
            break;
        }
    }
    feed.line("ALBUM", album.view());
    if (const char* image = entry.childValue("IMAGE", nullptr)) feed.line("IMAGE", image);
}

void writeSong(Feed& feed, CommandServices& s, const LibraryItem& item) {
    const Node& entry = *item.node();
    if (s.player->isEndless()) return writeStreamSong(feed, s, entry);
    feed.line("TITLE", entry.childValue("TITLE", entry.value()));
    if (const char* artist = entry.childValue("ARTIST", nullptr)) feed.line("ARTIST", artist);
    if (const char* album = entry.childValue("ALBUM", nullptr)) feed.line("ALBUM", album);
    if (!item.folder) return;
    feed.line("PATH", pathText(item.folder->path()));
    feed.line("IMAGE", folderPicture(s.view, item.folder));
}

// A message carries its own line feed; the feed keeps one line per message.
void writeMessage(Feed& feed, std::string_view key, const std::optional<StatusBoard::Message>& message) {
    if (!message) return;
    std::string_view text = message->text;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.remove_suffix(1);
    feed.line(key, text);
}

void writeScanning(Feed& feed, CommandServices& s) {
    if (!s.scanRunning) return;
    const int64_t stored = decimalValue(s.repository.getSetting("REPOSITORY_NUM_FILES").view());
    const int64_t files = s.scanner.filesSeen();
    if (stored == 0) {
        feed.line("SCANNING", "Scanning folder: " + std::to_string(s.scanner.directoriesSeen()) +
                                  " file: " + std::to_string(files));
        return;
    }
    const int64_t percent = files * 100 / stored;
    std::string text = "Scanning: " + std::to_string(std::min<int64_t>(percent, 100)) + "%";
    if (percent > 100) text += " + " + std::to_string(files - stored) + " new files found!";
    feed.line("SCANNING", text);
}

int playType(CommandServices& s) {
    if (play::isQueuePosition(s.position.playPosition())) return 1;
    const LibraryItem* item = s.position.currentItem();
    return item && item->node()->hasName("RADIO") ? 2 : 0;
}

}  // namespace

void commandFetch(CommandCall& call) {
    CommandServices& s = call.services;
    const SongPlayer& player = *s.player;
    Feed feed;
    feed.line("REVISION", s.repository.revision.value());
    feed.line("FILTER_REVISION", s.filters.revision());
    feed.line("RADIO_REVISION", s.repository.radioList().revision());
    feed.line("EQ_REVISION", s.repository.eqRevision.value());
    feed.line("QUEUE_REVISION", s.queue.revision());
    feed.line("QUEUE_REMAINING", s.queue.remaining(s.position.playPosition()));
    feed.line("RESOURCE", s.position.playPosition());
    writePlayer(feed, s);
    feed.line("FILTER", s.filters.activeFilter());
    feed.line("SEARCH", s.filters.searchText().view());
    feed.line("SHUFFLE", s.view.shuffle() ? 1 : 0);
    feed.line("FLAT", s.view.flat() ? 1 : 0);
    feed.line("VOLUME", static_cast<int64_t>(static_cast<double>(player.volume()) * 1000.0));
    feed.line("PLAYSTATUS", player.isPaused() ? 2 : player.isPlaying() ? 1 : 0);
    feed.line("PLAYTYPE", playType(s));
    feed.line("EQ_ACTIVE", s.repository.getSetting("EQ_ACTIVE").view());
    if (decimalValue(s.repository.getSetting("SHOW_FIRST_RUN_DIALOG").view()) == 1) feed.line("SHOW_FIRST_RUN_DIALOG", 1);
    if (const LibraryItem* item = s.position.currentItem()) writeSong(feed, s, *item);
    writeMessage(feed, "ERROR", s.statusBoard.error());
    writeMessage(feed, "INFO", s.statusBoard.info());
    writeScanning(feed, s);
    call.connection.appendBody(feed.text());
    call.connection.sendText();
}
