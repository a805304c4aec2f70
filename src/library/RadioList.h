#pragma once
// The internet radio stations: a node tree of CHANNELS groups holding RADIO stations,
// kept in radio2.vmr. As a folder (with no path) it is the folder of its stations' items.
// Used under the application lock.

#include <cstdint>
#include <string_view>
#include <vector>

#include "library/RepositoryFolder.h"
#include "library/Revision.h"
#include "storage/Node.h"
#include "text/Str.h"

class LibraryItemIndex;
struct LibraryItem;

class RadioList : public RepositoryFolder {
public:
    // Station items are created in `items`, which must outlive the list.
    explicit RadioList(LibraryItemIndex& items);

    // Remembers the path and reads the file; on success indexes the stations. A missing
    // file leaves the list empty.
    bool load(std::string_view filePath);
    // Writes the tree to the file; on failure the tree stays as it is in memory.
    bool save() const;
    // Takes the source's groups and stations in, matched by name (other keys take the
    // source's values, keys only the list has stay), then saves and indexes.
    void merge(const Node& source);
    // Gives every station without an item one; each new item and the pass itself raise
    // the revision.
    void index();
    // The user's own station in its group of their own, which no published list names, so
    // every merge keeps it. A playlist address (".pls", ".m3u") is kept as PLAYLIST, any
    // other as STREAM; a station of that name is updated. Saves and indexes; null when the
    // pool cannot grow.
    LibraryItem* addOwnStation(std::string_view name, std::string_view url);
    bool isOwnStation(const LibraryItem& item) const;
    // Takes an own station's item out of the stations; the caller retires the item, then
    // hands the node to dropStation, which destroys it and saves.
    void forgetStation(const LibraryItem& item);
    void dropStation(Node& station);

    Node& tree() { return tree_; }
    const Node& tree() const { return tree_; }
    const std::vector<LibraryItem*>& stations() const { return stations_; }
    int32_t revision() const { return revision_.value(); }

private:
    LibraryItemIndex& itemIndex_;
    Node tree_;
    std::vector<LibraryItem*> stations_;
    Revision revision_;
    Str filePath_;
};
