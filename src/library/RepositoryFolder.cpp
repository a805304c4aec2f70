#include "library/RepositoryFolder.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <strings.h>

#include "library/EntryNames.h"
#include "library/FolderSynchroniser.h"
#include "platform/DiskFile.h"
#include "storage/NodeFile.h"
#include "text/Str.h"
#include "text/TextSearch.h"

namespace {

constexpr std::string_view kTreeFile = "/playlist.vmr";

// Anything else would lead the load back into this folder or out of it.
bool isPlainName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos;
}

enum PictureRank { kNone, kCover, kFolder, kFront };

PictureRank pictureRank(std::string_view name) {
    if (findNoCase(name, "front") != std::string_view::npos) return kFront;
    if (findNoCase(name, "folder") != std::string_view::npos) return kFolder;
    if (findNoCase(name, "cover") != std::string_view::npos) return kCover;
    return kNone;
}

// The sort order of entries, with byte order deciding between names equal but for case.
int entryOrder(const Node* a, const Node* b) {
    const int order = ::strcasecmp(a->value(), b->value());
    return order != 0 ? order : std::strcmp(a->value(), b->value());
}

// strcasecmp's order on views.
bool lessNoCase(std::string_view a, std::string_view b) {
    const int order = ::strncasecmp(a.data(), b.data(), std::min(a.size(), b.size()));
    return order != 0 ? order < 0 : a.size() < b.size();
}

std::vector<Node*> takeChildren(Node& parent) {
    std::vector<Node*> children;
    while (Node* child = parent.firstChild()) children.push_back(parent.unlinkChild(child));
    return children;
}

}  // namespace

RepositoryFolder::RepositoryFolder(Node* listNode, RepositoryFolder* parent)
    : listNode_(listNode), parent_(parent) {}

RepositoryFolder::~RepositoryFolder() = default;

bool RepositoryFolder::load(std::string_view path) {
    Str trimmed(path);
    trimmed.dropTrailingSlash();
    path_ = LastingText(trimmed);
    onDisk_ = true;
    const std::string treeFile = std::string(path_.view()).append(kTreeFile);
    if (!loadNodeFile(content_, treeFile, false)) {
        // Stored at its first synchronise even when empty: a LIST entry without a tree
        // would be dropped at every start and added again by every scan.
        unsaved_ = true;
        return diskFileExists(treeFile);
    }
    bool removed = false;
    for (Node* child = content_.firstChild(); child;) {
        Node* following = child->next();
        if (child->hasName(entry::kList)) {
            auto folder = std::make_unique<RepositoryFolder>(child, this);
            const std::string_view name = child->value();
            if (isPlainName(name) && folder->load(std::string(path_.view()) + "/" + std::string(name))) {
                addChild(std::move(folder));
            } else {
                std::printf("Removing %s from list\n", child->value());
                Node::destroy(content_.unlinkChild(child));
                removed = true;
            }
        }
        child = following;
    }
    if (removed) save();
    sortEntries();
    return true;
}

bool RepositoryFolder::save() {
    if (!onDisk_) return true;
    const std::string treeFile = std::string(path_.view()).append(kTreeFile);
    unsaved_ = !saveNodeFile(content_, treeFile, false);
    if (unsaved_) std::printf("Error saving %s\n", treeFile.c_str());
    return !unsaved_;
}

void RepositoryFolder::sortEntries() {
    std::vector<Node*> entries = takeChildren(content_);
    std::stable_sort(entries.begin(), entries.end(), [](const Node* a, const Node* b) {
        return ::strcasecmp(a->value(), b->value()) < 0;
    });
    for (Node* entry : entries) content_.linkChild(entry);
}

void RepositoryFolder::addChild(std::unique_ptr<RepositoryFolder> child) {
    child->parent_ = this;
    // The children stay in name order, and a scan brings them in the order the disk lists
    // them: the place is found by halving an array, as walking a list for each new one made a
    // first scan of thousands of artists quadratic.
    const auto after = std::upper_bound(children_.begin(), children_.end(), child->name(),
                                        [](std::string_view name, const auto& sibling) {
                                            return lessNoCase(name, sibling->name());
                                        });
    children_.insert(after, std::move(child));
}

std::string_view RepositoryFolder::name() const {
    const std::string_view path = path_.view();
    return path.substr(path.rfind('/') + 1);
}

std::unique_ptr<RepositoryFolder> RepositoryFolder::removeChild(const RepositoryFolder& child) {
    const auto found = std::find_if(children_.begin(), children_.end(),
                                    [&child](const auto& candidate) { return candidate.get() == &child; });
    if (found == children_.end()) return nullptr;
    std::unique_ptr<RepositoryFolder> removed = std::move(*found);
    children_.erase(found);
    return removed;
}

bool RepositoryFolder::synchronise(const Node& scanned, Repository& repository, SongMoves* moves) {
    FolderSynchroniser(*this, repository, moves).run(scanned);
    return true;
}

bool RepositoryFolder::chooseCover(int pictures) {
    if (pictures <= 1) return false;
    Node* best[kFront + 1] = {};
    int seen = 0;
    for (Node* child = content_.firstChild(); child && seen < pictures; child = child->next()) {
        if (!child->hasName(entry::kImage)) continue;
        ++seen;
        const PictureRank rank = pictureRank(child->value());
        if (rank == kNone) continue;
        // By name, which in sorted entries is the first "front" and the last of the others.
        // By position, the pick moved to the front would lose to another of its kind at
        // the next scan, and the two would swap places at every scan.
        const bool better = !best[rank] || (rank == kFront ? entryOrder(child, best[rank]) < 0
                                                           : entryOrder(child, best[rank]) > 0);
        if (better) best[rank] = child;
    }
    Node* choice = best[kFront] ? best[kFront] : best[kFolder] ? best[kFolder] : best[kCover];
    if (!choice || choice == content_.firstChild()) return false;
    content_.linkChild(content_.unlinkChild(choice), true);
    return true;
}

const Node* RepositoryFolder::songWithPicture() const {
    for (const Node& child : content_.children()) {
        if (child.hasName(entry::kAudio) && child.findChild(entry::kPicture)) return &child;
    }
    return nullptr;
}

bool RepositoryFolder::hasPicture() const {
    return content_.findChild(entry::kImage) || songWithPicture();
}
