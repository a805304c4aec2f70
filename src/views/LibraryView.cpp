#include "views/LibraryView.h"

#include <algorithm>
#include <cstdio>

#include "library/EntryNames.h"
#include "library/LibraryItem.h"
#include "library/LibraryItemPool.h"
#include "library/Repository.h"
#include "platform/Clock.h"
#include "storage/Node.h"
#include "text/Decimal.h"
#include "views/PlayNumbers.h"
#include "views/ViewBuilder.h"

namespace {

constexpr std::string_view kShuffle = "SHUFFLE";
constexpr std::string_view kFlat = "FLAT";
constexpr std::string_view kPageMaxMatches = "PAGE_MAX_MATCHES";
constexpr std::string_view kRate = "RATE";
constexpr int32_t kSmallestPage = 10;

}  // namespace

LibraryView::LibraryView(Repository& repository, FilterSet& filters) : repository_(repository), filters_(filters) {}

void LibraryView::rebuildView(bool resetPage) {
    const uint32_t started = millisecondClock();
    lists_ = buildViewLists(repository_, filters_, {.flat = flat_, .shuffle = shuffle_});
    retired_.clear();
    repository_.revision.raise();
    if (resetPage) page_ = 0;
    lastProcessTime_ = static_cast<int32_t>(millisecondClock() - started);
    std::printf("Processtime: %d ms.\n", lastProcessTime_);
}

void LibraryView::tickView() {
    if (!dirty_) return;
    dirty_ = false;
    rebuildView(true);
}

void LibraryView::restoreModes() {
    shuffle_ = decimalValue(repository_.getSetting(kShuffle)) != 0;
    flat_ = decimalValue(repository_.getSetting(kFlat)) != 0;
}

void LibraryView::setShuffle(bool on) {
    if (on == shuffle_) return;
    shuffle_ = on;
    rebuildView(true);
    repository_.setSetting(kShuffle, on ? "1" : "0");
}

void LibraryView::setFlat(bool on) {
    if (on == flat_) return;
    flat_ = on;
    rebuildView(true);
    repository_.setSetting(kFlat, on ? "1" : "0");
}

void LibraryView::setPage(int32_t page) {
    if (page == page_) return;
    repository_.revision.raise();
    page_ = page;
}

// A hand-edited file may hold anything; a page size of 0 would divide by zero.
int32_t LibraryView::pageSize() {
    return std::max(decimalValue(repository_.getSetting(kPageMaxMatches)), kSmallestPage);
}

int32_t LibraryView::pageOf(int32_t pageSize, int32_t n, bool byId) {
    prune();
    pageSize = std::max(pageSize, 1);
    if (!flat_) return folderPageOf(pageSize, n, byId);
    if (!byId) return n / pageSize;
    const int32_t position = positionOf(n);
    return position < 0 ? 0 : position / pageSize;
}

int32_t LibraryView::pageCount(int32_t pageSize) {
    return pageOf(pageSize, itemCount() - 1, false) + 1;
}

int32_t LibraryView::positionOf(int32_t id) {
    const ListedItems listed = items();
    for (size_t position = 0; position < listed.size(); ++position) {
        if (listed[position]->id == id) return static_cast<int32_t>(position);
    }
    return -1;
}

RepositoryFolder* LibraryView::folderAt(int32_t number, const LibraryItem* current) const {
    if (number == play::kCurrentSong) {
        return current && folderNumber(current->folder) >= 0 ? current->folder : nullptr;
    }
    if (number < 0 || static_cast<size_t>(number) >= lists_.folders.size()) return nullptr;
    return lists_.folders[static_cast<size_t>(number)];
}

int32_t LibraryView::folderNumber(const RepositoryFolder* folder) const {
    const auto found = std::find(lists_.folders.begin(), lists_.folders.end(), folder);
    return found == lists_.folders.end() ? -1 : static_cast<int32_t>(found - lists_.folders.begin());
}

void LibraryView::queueAllForTags() {
    if (!repository_.pendingTags.empty()) return;
    for (LibraryItem* item : items()) {
        if (item->node()->hasName(entry::kAudio)) repository_.pendingTags.push_back(item);
    }
}

void LibraryView::forget(const LibraryItem& item) {
    retired_.insert(&item);
}

bool LibraryView::isPlayable(size_t position) {
    prune();
    return lists_.playable[position] != 0;
}

// Walking past a long run of skipped songs would otherwise read every one's keys.
void LibraryView::rateEntry(LibraryItem& item, std::string_view rate) {
    item.node()->setChild(kRate, rate);
    const bool playable = isPlayableRating(decimalValue(rate));
    prune();
    const uint32_t number = itemNumberOf(&item);
    for (size_t position = 0; position < lists_.items.size(); ++position) {
        if (lists_.items[position] == number) lists_.playable[position] = playable;
    }
}

ListedItems LibraryView::items() {
    prune();
    return ListedItems(lists_.items);
}

std::span<const int32_t> LibraryView::folderRuns() {
    prune();
    return lists_.runs;
}

// A folder's run is counted onto the current page; a page closes once it holds more than
// pageSize entries, so a folder is never split.
int32_t LibraryView::folderPageOf(int32_t pageSize, int32_t n, bool byId) const {
    int32_t page = 0;
    int32_t onPage = 0;
    size_t first = 0;
    for (const int32_t run : lists_.runs) {
        const size_t end = first + static_cast<size_t>(run);
        const bool met = byId ? holdsId(first, end, n) : n >= 0 && static_cast<size_t>(n) >= first &&
                                                             static_cast<size_t>(n) < end;
        if (met) return page;
        first = end;
        onPage += run;
        if (onPage > pageSize) {
            ++page;
            onPage = 0;
        }
    }
    return 0;
}

bool LibraryView::holdsId(size_t first, size_t end, int32_t id) const {
    return std::any_of(lists_.items.begin() + static_cast<ptrdiff_t>(first),
                       lists_.items.begin() + static_cast<ptrdiff_t>(end),
                       [id](uint32_t number) { return itemAt(number)->id == id; });
}

// Retired items may already be freed: they are told apart by address alone, and the
// folder runs shrink with them.
void LibraryView::prune() {
    if (retired_.empty()) return;
    auto& listed = lists_.items;
    size_t kept = 0;
    size_t read = 0;
    const auto keepRun = [&](size_t end) {
        const size_t runStart = kept;
        for (; read < end; ++read) {
            if (retired_.contains(itemAt(listed[read]))) continue;
            listed[kept] = listed[read];
            lists_.playable[kept++] = lists_.playable[read];
        }
        return static_cast<int32_t>(kept - runStart);
    };
    if (lists_.runs.empty()) keepRun(listed.size());
    for (int32_t& run : lists_.runs) run = keepRun(read + static_cast<size_t>(run));
    listed.resize(kept);
    lists_.playable.resize(kept);
    retired_.clear();
}
