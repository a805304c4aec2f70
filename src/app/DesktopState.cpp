#include "app/DesktopState.h"

#include <algorithm>
#include <mutex>

#include "app/Application.h"
#include "app/LocalCommand.h"
#include "audio/SongPlayer.h"
#include "library/LibraryItem.h"
#include "platform/Desktop.h"
#include "server/FolderPicture.h"
#include "storage/Node.h"
#include "text/Str.h"

namespace {

struct SongNames {
    std::string title;
    std::string artist;
    std::string album;
};

SongNames songNames(Application& application) {
    const SongPlayer& player = *application.player;
    if (player.isEndless()) {
        Str title;
        Str artist;
        Str album;
        player.readStreamTitle(title, artist, album);
        return {title.empty() ? "unknown title" : std::string(title.view()), std::string(artist.view()),
                std::string(album.view())};
    }
    const LibraryItem* item = application.position.currentItem();
    if (!item) return {};
    const Node& entry = *item->node();
    return {entry.childValue("TITLE", entry.value()), entry.childValue("ARTIST", ""), entry.childValue("ALBUM", "")};
}

// Each piece of the path percent-encoded, the slashes kept.
std::string fileUrl(std::string_view path) {
    std::string url = "file://";
    for (size_t start = 0; start <= path.size();) {
        const size_t slash = std::min(path.find('/', start), path.size());
        Str piece(path.substr(start, slash - start));
        piece.percentEncode();
        url += piece.view();
        if (slash < path.size()) url += '/';
        start = slash + 1;
    }
    return url;
}

PlayStatus statusOf(const SongPlayer& player) {
    if (player.isPaused()) return PlayStatus::kPaused;
    return player.isPlaying() ? PlayStatus::kPlaying : PlayStatus::kStopped;
}

}  // namespace

std::string trayTooltipText(Application& application) {
    const SongNames names = songNames(application);
    return names.artist.empty() ? names.title : names.artist + " - " + names.title;
}

NowPlaying readNowPlaying(Application& application, int port) {
    const std::lock_guard guard(application);
    const SongPlayer& player = *application.player;
    NowPlaying now;
    now.status = statusOf(player);
    now.volume = player.volume();
    now.rate = player.speed();
    now.positionUs = int64_t{player.positionMs()} * 1000;
    now.tooltip = trayTooltipText(application);
    const LibraryItem* item = application.position.currentItem();
    if (!item) return now;
    now.hasTrack = true;
    now.playPosition = application.position.playPosition();
    SongNames names = songNames(application);
    now.title = std::move(names.title);
    now.artist = std::move(names.artist);
    now.album = std::move(names.album);
    if (player.isEndless() || item->node()->hasName("RADIO")) return now;
    now.lengthUs = int64_t{player.lengthMs()} * 1000;
    now.url = fileUrl(item->entryPath().view());
    now.artUrl = "http://127.0.0.1:" + std::to_string(port) + "/" + folderPicture(application.view, item->folder);
    return now;
}

DesktopHooks desktopHooks(Application& application, int port) {
    return {.readState = [&application, port] { return readNowPlaying(application, port); },
            .watchChanges = [&application]() -> const WakeSignal& { return application.watchAsReader(); },
            .sendCommand = [&application](std::string_view command) {
                sendLocalCommand(command, application.programFolder);
            },
            .openWebInterface = [port] { openWithDesktop("http://127.0.0.1:" + std::to_string(port)); }};
}
