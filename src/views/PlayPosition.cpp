#include "views/PlayPosition.h"

#include <algorithm>
#include <string>

#include "library/EntryNames.h"
#include "library/LibraryItem.h"
#include "library/Repository.h"
#include "storage/Node.h"
#include "text/Decimal.h"
#include "views/LibraryView.h"
#include "views/PlayNumbers.h"
#include "views/PlayQueue.h"

namespace {

constexpr std::string_view kPlaying = "PLAYING";
constexpr std::string_view kQueueActiveItem = "QUEUE_ACTIVE_ITEM";
constexpr std::string_view kRepeat = "PLAYLIST_REPEAT";

}  // namespace

PlayPosition::PlayPosition(Repository& repository, LibraryView& view, PlayQueue& queue)
    : repository_(repository), view_(view), queue_(queue) {
    repository_.setRetireHook([this](LibraryItem& item) { forget(item); });
}

PlayPosition::~PlayPosition() {
    repository_.setRetireHook({});
}

LibraryItem* PlayPosition::currentItem() const {
    return play::isQueuePosition(position_) ? queue_.entryAt(position_ - play::kQueueBase)
                                            : repository_.items().find(position_);
}

LibraryItem* PlayPosition::itemByNumber(int32_t number) const {
    if (number == play::kCurrentSong) return currentItem();
    return play::isQueuePosition(number) ? queue_.entryAt(number - play::kQueueBase) : repository_.items().find(number);
}

RepositoryFolder* PlayPosition::folderAt(int32_t number) const {
    return view_.folderAt(number, currentItem());
}

bool PlayPosition::setPlayPosition(int32_t position) {
    return moveTo(position, true);
}

void PlayPosition::restorePlayPosition(int32_t saved) {
    if (play::isQueuePosition(saved)) {
        setPlayPosition(saved);
        return;
    }
    const auto listed = view_.items();
    if (saved < 0 || static_cast<size_t>(saved) >= listed.size()) return;
    setPlayPosition(listed[static_cast<size_t>(saved)]->id);
}

void PlayPosition::restore() {
    const int32_t active = decimalValue(repository_.getSetting(kQueueActiveItem));
    queue_.setActiveIndex(std::clamp(active, 0, queue_.entryCount()));
    restorePlayPosition(decimalValue(repository_.getSetting(kPlaying)));
}

int32_t PlayPosition::nextSong(bool forward) {
    int32_t currentId = position_;
    if (play::isQueuePosition(position_)) {
        const int32_t index = position_ - play::kQueueBase;
        if (forward && index < queue_.entryCount() - 1) return position_ + 1;
        if (!forward && index >= 1) return position_ - 1;
        // Leaving the queue: the view goes on from the last queued song's place.
        const LibraryItem* last = queue_.entryAt(queue_.entryCount() - 1);
        if (!last) return 0;
        currentId = last->id;
    } else if (forward && queue_.activeIndex() < queue_.entryCount()) {
        return play::kQueueBase + queue_.activeIndex();
    }
    return walkView(currentId, forward);
}

bool PlayPosition::step(bool forward) {
    const int32_t next = nextSong(forward);
    return next != 0 && setPlayPosition(next);
}

void PlayPosition::queueRemove(int32_t index) {
    const LibraryItem* playing = currentItem();
    queue_.removeAt(index);
    if (!play::isQueuePosition(position_)) return;
    if (position_ - play::kQueueBase != index) {
        setPlayPosition(play::kQueueBase + queue_.activeIndex());
    } else if (playing) {
        moveTo(playing->id, false);
    }
}

bool PlayPosition::queueMove(int32_t from, int32_t to) {
    const bool queued = play::isQueuePosition(position_);
    if (!queue_.move(from, to, queued)) return false;
    if (queued) moveTo(play::kQueueBase + queue_.activeIndex(), false);
    return true;
}

void PlayPosition::queueClear() {
    const LibraryItem* playing = currentItem();
    const bool wasQueued = play::isQueuePosition(position_);
    queue_.clear();
    if (playing && wasQueued) moveTo(playing->id, false);
}

bool PlayPosition::setPageToCurrentSong() {
    if (play::isQueuePosition(position_)) return false;
    const LibraryItem* current = currentItem();
    if (current && current->node()->hasName(entry::kRadio)) return false;
    view_.setPage(view_.pageOf(view_.pageSize(), position_, true));
    return true;
}

// Leaving a queued song the user removed is not finishing it: activeIndex stays where the
// removal or clear left it, so the entry after it is not passed over.
bool PlayPosition::moveTo(int32_t position, bool queuedSongDone) {
    if (queuedSongDone && play::isQueuePosition(position_)) queue_.setActiveIndex(queue_.activeIndex() + 1);
    const bool changed = position != position_;
    position_ = position;
    if (play::isQueuePosition(position)) queue_.setActiveIndex(position - play::kQueueBase);
    if (changed) storePosition();
    return changed;
}

void PlayPosition::storePosition() {
    const int32_t playing = play::isQueuePosition(position_) ? position_ : std::max(view_.positionOf(position_), 0);
    repository_.setSetting(kPlaying, std::to_string(playing));
    repository_.setSetting(kQueueActiveItem, std::to_string(queue_.activeIndex()));
}

int32_t PlayPosition::walkView(int32_t currentId, bool forward) {
    const auto listed = view_.items();
    const auto count = static_cast<int32_t>(listed.size());
    const bool repeat = decimalValue(repository_.getSetting(kRepeat)) != 0;
    int32_t at = std::max(std::min(std::max(view_.positionOf(currentId), 0), count - 1), 0);
    for (int32_t tries = 0; tries < count; ++tries) {
        if (forward) {
            if (++at == count) {
                if (!repeat) return 0;
                at = 0;
            }
        } else {
            if (at == 0) return 0;
            --at;
        }
        if (view_.isPlayable(static_cast<size_t>(at))) return listed[static_cast<size_t>(at)]->id;
    }
    return 0;
}

void PlayPosition::forget(const LibraryItem& item) {
    view_.forget(item);
    bool dropped = false;
    for (int32_t index = queue_.entryCount() - 1; index >= 0; --index) {
        if (queue_.entryAt(index) != &item) continue;
        queueRemove(index);
        dropped = true;
    }
    if (dropped) queue_.save();
}
