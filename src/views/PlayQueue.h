#pragma once
// The play queue: library items and queued files from outside the library, in play order,
// kept in "queue.vmr" (a disk file). Played entries stay; activeIndex moves past them.
// Used under the application lock.

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "library/RepositoryFolder.h"
#include "library/Revision.h"
#include "text/Str.h"

class Repository;
struct LibraryItem;

class PlayQueue {
public:
    // The repository must outlive the queue; its item index issues the queue's items.
    explicit PlayQueue(Repository& repository);
    // Retires the items of the files queued from outside the library; destroy the play
    // position, whose retire hook reads the queue, first.
    ~PlayQueue();
    PlayQueue(const PlayQueue&) = delete;
    PlayQueue& operator=(const PlayQueue&) = delete;

    // Empties the queue and starts it over at index 0.
    void clear();
    // Empties the queue, keeps `path` for save() and queues the value of every top-level
    // line of the file. False, with the queue empty, for a path not ending in ".vmr" or a
    // file that cannot be read.
    bool load(std::string_view path);
    // Queues the library item of that full path; a path outside the library is queued as
    // a file of its own whose tags go on the pending list. A second instance hands its
    // paths over this way (followed by save()).
    void addPath(std::string_view path);
    // False when no item has that id.
    bool add(int32_t id);
    // Writes "AUDIO " + each entry's playable location per line (a station's location is
    // fetched over HTTP now). False when the file cannot be written.
    bool save() const;
    // Later entries move up; activeIndex follows an entry removed before it, and keeps its
    // index when its own entry goes (it then names the entry after it, or the end).
    void removeAt(int32_t index);
    // Moves entry `from` to index `to` (both within the queue; false otherwise). With
    // `activePlays` activeIndex follows the entry it names; else it stays the boundary
    // between played and unplayed entries, and an entry moved to it is the next to play.
    bool move(int32_t from, int32_t to, bool activePlays);
    // Mixes the entries after activeIndex with rand() as it stands.
    void shuffleRest();
    // Entries still to play: the one playing, if the position is in the queue, not counted.
    int32_t remaining(int32_t playPosition) const;

    // Null outside the queue.
    LibraryItem* entryAt(int32_t index) const;
    std::span<LibraryItem* const> entries() const { return entries_; }
    int32_t entryCount() const { return static_cast<int32_t>(entries_.size()); }
    // While a queued song plays, its index; otherwise the index of the next one to play
    // (entryCount() once the queue is used up).
    int32_t activeIndex() const { return activeIndex_; }
    void setActiveIndex(int32_t index) { activeIndex_ = index; }
    // QUEUE_REVISION: raised by every change of the entries.
    int32_t revision() const { return revision_.value(); }
    const Str& filePath() const { return filePath_; }

private:
    void append(LibraryItem& item);

    Repository& repository_;
    // The folder, with no path, of the files queued from outside the library; it owns
    // their nodes for the life of the queue, so their items never dangle.
    RepositoryFolder outside_;
    std::vector<LibraryItem*> entries_;
    Revision revision_;
    Str filePath_;
    int32_t activeIndex_ = 0;
};
