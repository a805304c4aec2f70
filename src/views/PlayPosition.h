#pragma once
// What plays: the play position (play::kQueueBase marks queue positions, see
// PlayNumbers.h) and the moves through the queue and the library view. The position is a
// number, never a pointer, so a retired item simply stops being current. Used under the
// application lock.

#include <cstdint>

class LibraryView;
class PlayQueue;
class Repository;
class RepositoryFolder;
struct LibraryItem;

class PlayPosition {
public:
    // All three must outlive the position. Installs the repository's retire hook, which
    // takes retired items out of the view and the queue, until the position is destroyed.
    PlayPosition(Repository& repository, LibraryView& view, PlayQueue& queue);
    ~PlayPosition();
    PlayPosition(const PlayPosition&) = delete;
    PlayPosition& operator=(const PlayPosition&) = delete;

    int32_t playPosition() const { return position_; }
    // The queue entry or library item the position names; null when it names nothing.
    LibraryItem* currentItem() const;
    // Entry numbers of commands: play::kCurrentSong, an item id or a queue position.
    LibraryItem* itemByNumber(int32_t number) const;
    // Folder numbers of commands: a position in the view's folders or play::kCurrentSong.
    RepositoryFolder* folderAt(int32_t number) const;

    // A queued song that was playing counts as done. On a change stores the settings
    // PLAYING (a queue position, else the item's place in the view) and QUEUE_ACTIVE_ITEM.
    // True when the position changed.
    bool setPlayPosition(int32_t position);
    // A queue position, or a place in the view whose item becomes the position.
    void restorePlayPosition(int32_t saved);
    // Start-up, after the queue is loaded: QUEUE_ACTIVE_ITEM (within the queue), then PLAYING.
    void restore();

    // The position after (or before) the current one: the queue first, then the view,
    // skipping songs rated below 2 (but not unrated ones) and wrapping only with the
    // setting PLAYLIST_REPEAT. 0 when there is none.
    int32_t nextSong(bool forward);
    // Moves to nextSong; true when the position changed.
    bool step(bool forward);
    // Removes queue entry `index`. A queued song playing at another index keeps playing at
    // its new index; the one removed, if it was playing, plays on as a library song, and
    // the entry that moved into its place is the next to play.
    void queueRemove(int32_t index);
    // Moves queue entry `from` to index `to`; a queued song playing goes on at its new
    // index. False, changing nothing, for an index outside the queue.
    bool queueMove(int32_t from, int32_t to);
    // Empties the queue; a queued song that was playing plays on as a library song.
    void queueClear();
    // Shows the page of the current library song. False for a queue position or a station.
    bool setPageToCurrentSong();

private:
    bool moveTo(int32_t position, bool queuedSongDone);
    void leaveQueue(const LibraryItem& playing, int32_t nextQueued);
    void storePosition();
    int32_t walkView(int32_t currentId, bool forward);
    void forget(const LibraryItem& item);

    Repository& repository_;
    LibraryView& view_;
    PlayQueue& queue_;
    int32_t position_ = 0;
};
