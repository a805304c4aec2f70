#pragma once
// The library view: the songs and stations of the last build with the folders it visited,
// and the view state around them (page, flat and shuffle modes, the rebuild request, the
// last build's time). Used under the application lock. Items that the library retires
// leave the lists before anything reads them again (`forget`), which is why the readers
// are not const.

#include <cstdint>
#include <span>
#include <string_view>
#include <unordered_set>

#include "views/ListedItems.h"
#include "views/ViewLists.h"

class FilterSet;
class Repository;
class RepositoryFolder;
struct LibraryItem;

class LibraryView {
public:
    // Both must outlive the view.
    LibraryView(Repository& repository, FilterSet& filters);
    LibraryView(const LibraryView&) = delete;
    LibraryView& operator=(const LibraryView&) = delete;

    // Builds the lists anew (ViewBuilder.h), raises the repository's revision, goes back to
    // page 0 with `resetPage` and logs "Processtime: %d ms.\n".
    void rebuildView(bool resetPage);
    // Asks the next tickView for a rebuild.
    void markViewDirty() { dirty_ = true; }
    // Once per main-loop pass: rebuilds, page reset, when a rebuild was asked for.
    void tickView();

    // At start-up, before the first build: the modes from the settings SHUFFLE and FLAT.
    void restoreModes();
    // A change rebuilds (page reset) and then stores the setting SHUFFLE or FLAT.
    void setShuffle(bool on);
    void setFlat(bool on);
    // Any page is accepted; a change raises the repository's revision.
    void setPage(int32_t page);

    // PAGE_MAX_MATCHES, read as storing it leaves it: at least 10.
    int32_t pageSize();
    // The page of list position n, or with `byId` of the first item with id n; 0 when
    // there is none. In the folder view pages hold whole folders.
    int32_t pageOf(int32_t pageSize, int32_t n, bool byId);
    int32_t pageCount(int32_t pageSize);
    // The list position of the first item with that id, or -1.
    int32_t positionOf(int32_t id);
    // folders()[number]; play::kCurrentSong names the folder of `current` when it was
    // visited. Null otherwise.
    RepositoryFolder* folderAt(int32_t number, const LibraryItem* current) const;
    // The position in folders(), or -1.
    int32_t folderNumber(const RepositoryFolder* folder) const;
    // Only while the pending tag list is empty: every listed song goes on it, in list order.
    void queueAllForTags();
    // Called just before the item is retired.
    void forget(const LibraryItem& item);

    // Whether the entry at a list position may play: unrated, rated 0, or rated 2 and up.
    // Ratings are read when the view is built and follow every rateEntry.
    bool isPlayable(size_t position);
    // Sets the entry's RATE to the text as given.
    void rateEntry(LibraryItem& item, std::string_view rate);

    ListedItems items();
    int32_t itemCount() { return static_cast<int32_t>(items().size()); }
    std::span<RepositoryFolder* const> folders() const { return lists_.folders; }
    // Items per folder, parallel to folders(), in the folder view; empty in the flat view.
    std::span<const int32_t> folderRuns();
    int32_t totalSeconds() const { return lists_.totalSeconds; }
    int32_t page() const { return page_; }
    bool flat() const { return flat_; }
    bool shuffle() const { return shuffle_; }
    bool dirty() const { return dirty_; }
    int32_t lastProcessTime() const { return lastProcessTime_; }

private:
    int32_t folderPageOf(int32_t pageSize, int32_t n, bool byId) const;
    bool holdsId(size_t first, size_t end, int32_t id) const;
    void prune();

    Repository& repository_;
    FilterSet& filters_;
    ViewLists lists_;
    std::unordered_set<const LibraryItem*> retired_;  // compared by address only
    int32_t page_ = 0;
    bool flat_ = false;
    bool shuffle_ = false;
    bool dirty_ = false;
    int32_t lastProcessTime_ = 0;
};
