#pragma once
// The user's named filters, the active one and the search text, compiled, and the test
// of a library entry against both. Everything runs under the application lock; one
// entry is tested at a time.

#include <cstdint>
#include <string>
#include <string_view>

#include "library/Revision.h"
#include "storage/Node.h"
#include "text/Str.h"
#include "views/Expression.h"
#include "views/LibraryContext.h"

class FilterSet {
public:
    // Parse errors go to the board, which must outlive the set; `clock` gives DAYS its
    // "now" and must be callable.
    FilterSet(StatusBoard& board, LibraryContext::Clock clock);
    FilterSet(const FilterSet&) = delete;
    FilterSet& operator=(const FilterSet&) = delete;

    // Reads the filters file (a disk file); when it cannot be read, the default filters
    // take its place in memory only. Keeps `path` for later saves.
    void load(std::string_view path);

    // Filters are numbered from 0 here, among the "SEARCH" children; the file is rewritten
    // on every edit and removal, not on additions.
    // Appends "Unnamed" with an empty query; null when the node pool cannot grow.
    Node* addFilter();
    // False when there is no such filter or nothing would change.
    bool setFilter(int index, std::string_view name, std::string_view query);
    // Keeps the same filter active when one before it goes; the one before the removed
    // active filter becomes active.
    void removeFilter(int index);

    // 1-based; 0 turns filtering off and numbers past the end pick the last filter. True
    // when the active filter changed (always with `force`).
    bool selectFilter(int index, bool force);
    // True when the text differs from the current one; a leading ":" is not compiled.
    bool setSearch(std::string_view text);

    // Whether an entry passes the search and the active filter. `folderPath` is the path
    // of the folder holding the entry; both need only live for the call.
    bool matches(const Node& entry, std::string_view folderPath);

    int32_t activeFilter() const { return activeFilter_; }
    const Str& searchText() const { return searchText_; }
    // The FILTER_REVISION of the status feed: changes with every change of the list.
    int32_t revision() const { return revision_.value(); }
    // The "SEARCH" children, for the filter tables.
    const Node& filters() const { return filters_; }

private:
    Node* filterAt(int index) const;
    void save() const;
    static bool passes(const Expression& expression);

    int32_t activeFilter_ = 0;
    Str searchText_;
    Node filters_;
    std::string path_;
    Revision revision_;
    LibraryContext context_;
    Expression searchExpr_{context_};
    Expression filterExpr_{context_};
};
