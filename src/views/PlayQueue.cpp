#include "views/PlayQueue.h"

#include <algorithm>

#include "library/EntryNames.h"
#include "library/LibraryItem.h"
#include "library/Repository.h"
#include "storage/Node.h"
#include "storage/NodeFile.h"
#include "text/TextSearch.h"
#include "views/PlayNumbers.h"
#include "views/RandomDraw.h"

PlayQueue::PlayQueue(Repository& repository) : repository_(repository) {}

PlayQueue::~PlayQueue() {
    for (Node& node : outside_.content().children()) repository_.retireEntry(node);
}

void PlayQueue::clear() {
    entries_.clear();
    revision_.raise();
    activeIndex_ = 0;
}

bool PlayQueue::load(std::string_view path) {
    clear();
    filePath_.assign(path);
    if (!wildcardMatch("*.vmr", path)) return false;
    Node lines;
    if (!loadOwnNodeFile(lines, path)) return false;
    for (const Node& line : lines.children()) addPath(line.value());
    return true;
}

void PlayQueue::addPath(std::string_view path) {
    if (LibraryItem* known = repository_.items().findByPath(path)) {
        append(*known);
        return;
    }
    Node* node = outside_.content().appendChild(entry::kAudio, path);
    if (!node) return;
    LibraryItem* item = repository_.items().create(*node, &outside_);
    if (!item) {
        Node::destroy(outside_.content().unlinkChild(node));
        return;
    }
    append(*item);
    repository_.pendingTags.push_back(item);
}

bool PlayQueue::add(int32_t id) {
    LibraryItem* item = repository_.items().find(id);
    if (!item) return false;
    append(*item);
    return true;
}

bool PlayQueue::save() const {
    Node lines;
    for (const LibraryItem* item : entries_) {
        if (!lines.appendChild(entry::kAudio, item->location(true))) return false;
    }
    return saveNodeFile(lines, filePath_, true);
}

void PlayQueue::removeAt(int32_t index) {
    if (index < 0 || index >= entryCount()) return;
    entries_.erase(entries_.begin() + index);
    if (index < activeIndex_) --activeIndex_;
    revision_.raise();
}

bool PlayQueue::move(int32_t from, int32_t to, bool activePlays) {
    if (from < 0 || from >= entryCount() || to < 0 || to >= entryCount()) return false;
    LibraryItem* item = entries_[static_cast<size_t>(from)];
    entries_.erase(entries_.begin() + from);
    entries_.insert(entries_.begin() + to, item);
    if (activePlays && activeIndex_ == from) {
        activeIndex_ = to;
    } else {
        if (from < activeIndex_) --activeIndex_;
        if (activePlays ? to <= activeIndex_ : to < activeIndex_) ++activeIndex_;
    }
    revision_.raise();
    return true;
}

void PlayQueue::shuffleRest() {
    const auto kept = static_cast<size_t>(std::clamp(activeIndex_ + 1, 0, entryCount()));
    std::vector<LibraryItem*> rest(entries_.begin() + static_cast<ptrdiff_t>(kept), entries_.end());
    entries_.resize(kept);
    appendDrawn(std::span(rest), entries_);
    revision_.raise();
}

int32_t PlayQueue::remaining(int32_t playPosition) const {
    const int32_t playing = play::isQueuePosition(playPosition) ? 1 : 0;
    return std::max(0, entryCount() - activeIndex_ - playing);
}

LibraryItem* PlayQueue::entryAt(int32_t index) const {
    return index >= 0 && index < entryCount() ? entries_[static_cast<size_t>(index)] : nullptr;
}

void PlayQueue::append(LibraryItem& item) {
    entries_.push_back(&item);
    revision_.raise();
}
