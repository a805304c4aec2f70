#include "views/ViewBuilder.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <span>

#include "library/EntryNames.h"
#include "library/LibraryItem.h"
#include "library/LibraryItemPool.h"
#include "library/Repository.h"
#include "text/Decimal.h"
#include "text/TextSearch.h"
#include "views/FilterSet.h"
#include "views/RandomDraw.h"

namespace {

constexpr std::string_view kTime = "TIME";
constexpr std::string_view kRate = "RATE";

struct Listed {
    LibraryItem* item;
    const char* name;  // the entry's value, at hand for the flat view's sort
    bool playable;
};

// The first TIME and RATE of an entry, in one walk over its keys.
struct EntryKeys {
    const char* time = nullptr;
    const char* rate = nullptr;

    explicit EntryKeys(const Node& entry) {
        for (const Node& key : entry.children()) {
            if (!time && key.hasName(kTime)) {
                time = key.value();
            } else if (!rate && key.hasName(kRate)) {
                rate = key.value();
            }
            if (time && rate) return;
        }
    }
    bool playable() const { return isPlayableRating(rate ? decimalValue(rate) : 0); }
};

class ViewBuilder {
public:
    ViewBuilder(Repository& repository, FilterSet& filters, ViewModes modes)
        : repository_(repository), filters_(filters), modes_(modes) {}

    ViewLists build() {
        std::srand(0);
        repository_.pendingTags.clear();
        for (const auto& folder : repository_.folders()) buildFolder(*folder);
        if (modes_.flat) arrangeFlat();
        lists_.items.reserve(listed_.size());
        lists_.playable.reserve(listed_.size());
        for (const Listed& entry : listed_) {
            lists_.items.push_back(itemNumberOf(entry.item));
            lists_.playable.push_back(entry.playable);
        }
        return std::move(lists_);
    }

private:
    // Depth first: a folder's own entries before its subfolders.
    void buildFolder(RepositoryFolder& folder) {
        lists_.folders.push_back(&folder);
        const bool mixHere = modes_.shuffle && !modes_.flat;
        std::vector<Listed>& target = mixHere ? mixing_ : listed_;
        const size_t before = listed_.size();
        for (Node& node : folder.content().children()) {
            if (node.hasName(entry::kAudio) || node.hasName(entry::kRadio)) consider(node, folder, target);
        }
        if (mixHere) {
            appendDrawn(std::span(mixing_), listed_);
            mixing_.clear();
        }
        if (!modes_.flat) lists_.runs.push_back(static_cast<int32_t>(listed_.size() - before));
        for (const auto& child : folder.children()) buildFolder(*child);
    }

    void consider(Node& node, RepositoryFolder& folder, std::vector<Listed>& target) {
        LibraryItem* item = itemOf(node);
        if (!item) item = repository_.items().create(node, &folder);
        if (!item || !filters_.matches(node, folder.path())) return;
        const EntryKeys keys(node);
        target.push_back({item, node.value(), keys.playable()});
        if (!keys.time) {
            repository_.pendingTags.push_back(item);
        } else if (node.hasName(entry::kAudio)) {
            addSeconds(minSecToSeconds(keys.time));
        }
    }

    // A stored TIME is outside input: the sum wraps rather than overflow.
    void addSeconds(int seconds) {
        lists_.totalSeconds =
            static_cast<int32_t>(static_cast<uint32_t>(lists_.totalSeconds) + static_cast<uint32_t>(seconds));
    }

    // Equal names may come in either order.
    void arrangeFlat() {
        if (modes_.shuffle) {
            std::vector<Listed> pool = std::move(listed_);
            listed_.clear();
            appendDrawn(std::span(pool), listed_);
            return;
        }
        std::sort(listed_.begin(), listed_.end(), [](const Listed& left, const Listed& right) {
            return std::strcmp(left.name, right.name) < 0;
        });
    }

    Repository& repository_;
    FilterSet& filters_;
    const ViewModes modes_;
    ViewLists lists_;
    std::vector<Listed> listed_;
    std::vector<Listed> mixing_;  // one folder's entries while they wait to be drawn
};

}  // namespace

ViewLists buildViewLists(Repository& repository, FilterSet& filters, ViewModes modes) {
    return ViewBuilder(repository, filters, modes).build();
}
