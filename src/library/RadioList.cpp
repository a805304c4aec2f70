#include "library/RadioList.h"

#include <algorithm>

#include "library/EntryNames.h"
#include "library/FileKinds.h"
#include "library/LibraryItem.h"
#include "library/LibraryItemIndex.h"
#include "library/LibraryItemPool.h"
#include "storage/NodeFile.h"

namespace {

constexpr std::string_view kOwnGroup = "Own stations";

}  // namespace

RadioList::RadioList(LibraryItemIndex& items) : itemIndex_(items) {}

bool RadioList::load(std::string_view filePath) {
    filePath_.assign(filePath);
    if (!loadOwnNodeFile(tree_, filePath_.view())) return false;
    index();
    return true;
}

bool RadioList::save() const {
    return saveNodeFile(tree_, filePath_.view(), true);
}

void RadioList::merge(const Node& source) {
    tree_.mergeFrom(source, {entry::kChannels, entry::kRadio});
    save();
    index();
}

void RadioList::index() {
    for (Node* node = tree_.firstChild(); node;) {
        const bool station = node->hasName(entry::kRadio);
        if (station && !node->itemNumber()) {
            if (LibraryItem* item = itemIndex_.create(*node, this)) {
                stations_.push_back(item);
                revision_.raise();
            }
        }
        node = node->nextInPreorder(!station);
    }
    revision_.raise();
}

LibraryItem* RadioList::addOwnStation(std::string_view name, std::string_view url) {
    Node* group = tree_.findChildWithValue(entry::kChannels, kOwnGroup, true);
    Node* station = group ? group->findChildWithValue(entry::kRadio, name, true) : nullptr;
    if (!station) return nullptr;
    const bool playlist = isPlaylistFile(url);
    station->setChild(playlist ? entry::kPlaylist : entry::kStream, url);
    if (Node* other = station->findChild(playlist ? entry::kStream : entry::kPlaylist)) {
        Node::destroy(station->unlinkChild(other));
    }
    save();
    index();
    return itemOf(*station);
}

bool RadioList::isOwnStation(const LibraryItem& item) const {
    const Node* group = item.node()->parent();
    return item.folder == this && item.node()->hasName(entry::kRadio) && group && group->parent() == &tree_ &&
           group->hasName(entry::kChannels) && std::string_view(group->value()) == kOwnGroup;
}

void RadioList::forgetStation(const LibraryItem& item) {
    std::erase(stations_, &item);
}

void RadioList::dropStation(Node& station) {
    if (Node* group = station.parent()) Node::destroy(group->unlinkChild(&station));
    save();
    revision_.raise();
}
