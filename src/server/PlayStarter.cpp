#include "server/PlayStarter.h"

#include "audio/SongPlayer.h"
#include "library/EntryNames.h"
#include "library/LibraryItem.h"
#include "library/Playlist.h"
#include "net/FetchWorker.h"
#include "platform/WakingMutex.h"
#include "storage/Node.h"
#include "views/PlayPosition.h"

namespace {

// What the player fails to open, as it did when a station's playlist could not be had.
constexpr std::string_view kNoStream = "error";

}  // namespace

PlayStarter::PlayStarter(WakingMutex& lock, PlayPosition& position, std::unique_ptr<SongPlayer>& player,
                         FetchWorker& fetches)
    : lock_(lock), position_(position), player_(player), fetches_(fetches) {}

void PlayStarter::startCurrentItem() {
    const LibraryItem* item = position_.currentItem();
    if (!item) return;
    const uint64_t start = ++starts_;
    if (!item->isStation() || item->directStream()) {
        player_->open(item->location(true).view(), true);
        return;
    }
    // The song before must not play on while the station is looked up.
    player_->stop();
    player_->release();
    const Str playlist(item->node()->childValue(entry::kPlaylist, ""));
    const bool posted = fetches_.post([this, start, playlist](const FetchOptions& options) {
        const Str stream = fetchPlaylistStream(playlist.view(), options);
        const std::lock_guard guard(lock_);
        openFetched(start, stream);
    });
    if (!posted) player_->open(kNoStream, true);
}

void PlayStarter::openFetched(uint64_t start, const Str& stream) {
    if (start == starts_ && player_) player_->open(stream.view(), true);
}
