#include "library/RadioList.h"

#include "library/EntryNames.h"
#include "library/LibraryItemIndex.h"
#include "storage/NodeFile.h"

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
        if (station && !node->item()) {
            if (LibraryItem* item = itemIndex_.create(*node, this)) {
                stations_.push_back(item);
                revision_.raise();
            }
        }
        node = node->nextInPreorder(!station);
    }
    revision_.raise();
}
