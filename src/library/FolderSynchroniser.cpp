#include "library/FolderSynchroniser.h"

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <memory>
#include <string>

#include "library/EntryNames.h"
#include "library/FileKinds.h"
#include "library/Repository.h"
#include "library/RepositoryFolder.h"
#include "library/SongMoves.h"
#include "storage/Node.h"

namespace {

Str currentTimeText() {
    return Str().append(std::to_string(static_cast<uint32_t>(std::time(nullptr))));
}

}  // namespace

FolderSynchroniser::FolderSynchroniser(RepositoryFolder& folder, Repository& repository, SongMoves* moves)
    : folder_(folder), repository_(repository), moves_(moves) {}

void FolderSynchroniser::run(const Node& scanned) {
    // A directory that could not be listed says nothing about what it holds.
    if (scanned.findChild(scan::kUnlisted)) return;
    collect();
    for (const Node& child : scanned.children()) {
        if (child.hasName(scan::kPath)) {
            visitDirectory(child);
        } else if (child.hasName(scan::kFile)) {
            visitFile(child.value());
        }
    }
    removeVanishedEntries();
    detachVanishedFolders();
    if (changed_) folder_.sortEntries();
    if (pictures_ > 0 && folder_.chooseCover(pictures_)) changed_ = true;
    if (changed_ || folder_.unsaved()) folder_.save();
}

void FolderSynchroniser::collect() {
    for (Node& child : folder_.content().children()) {
        if (child.hasName(entry::kList)) {
            lists_.push_back(&child);
            continue;
        }
        if (!child.hasName(entry::kAudio) && !child.hasName(entry::kImage) && !child.hasName(entry::kRadio)) {
            continue;
        }
        entries_.push_back(&child);
        if (child.hasName(entry::kAudio)) audio_.try_emplace(child.value(), &child);
        if (child.hasName(entry::kImage)) images_.try_emplace(child.value(), &child);
    }
    for (const auto& child : folder_.children()) subfolders_.try_emplace(child->path(), child.get());
}

void FolderSynchroniser::visitDirectory(const Node& scanned) {
    const auto existing = subfolders_.find(scanned.value());
    if (existing == subfolders_.end()) {
        addDirectory(scanned);
        return;
    }
    existing->second->synchronise(scanned, repository_, moves_);
    found_.insert(existing->second->listNode());
}

void FolderSynchroniser::addDirectory(const Node& scanned) {
    std::printf("New directory found \"%s\"\n", scanned.value());
    Node* listNode = folder_.content().appendChild(entry::kList, scanned.childValue(scan::kName, ""));
    auto child = std::make_unique<RepositoryFolder>(listNode, &folder_);
    child->load(scanned.value());
    child->synchronise(scanned, repository_, moves_);
    folder_.addChild(std::move(child));
    changed_ = true;
}

void FolderSynchroniser::visitFile(std::string_view name) {
    if (isAudioFile(name)) {
        matchOrAdd(audio_, entry::kAudio, name);
    } else if (isImageFile(name)) {
        matchOrAdd(images_, entry::kImage, name);
        ++pictures_;
    }
}

void FolderSynchroniser::matchOrAdd(std::unordered_map<std::string_view, Node*>& existing,
                                    std::string_view kind, std::string_view name) {
    if (const auto match = existing.find(name); match != existing.end()) {
        found_.insert(match->second);
        return;
    }
    Node* added = folder_.content().appendChild(kind, name);
    if (added && kind == entry::kAudio) {
        added->appendChild(entry::kAdded, currentTimeText());
        ++repository_.scanTally.added;
        if (moves_) moves_->added(*added, folder_);
    }
    changed_ = true;
}

void FolderSynchroniser::removeVanishedEntries() {
    for (Node* vanished : entries_) {
        if (found_.contains(vanished)) continue;
        changed_ = true;
        if (moves_ && vanished->hasName(entry::kAudio)) {
            moves_->vanished(folder_.content().unlinkChild(vanished), folder_);
            continue;
        }
        std::printf("Removing %s from repository.\n", vanished->value());
        if (vanished->hasName(entry::kAudio)) ++repository_.scanTally.removed;
        repository_.retireEntry(*vanished);
        Node::destroy(folder_.content().unlinkChild(vanished));
    }
}

void FolderSynchroniser::detachVanishedFolders() {
    RepositoryFolder& holder = repository_.detachedFolders();
    for (Node* vanished : lists_) {
        if (found_.contains(vanished)) continue;
        std::printf("Removing path %s from repository.\n", vanished->value());
        for (const auto& child : folder_.children()) {
            if (child->listNode() != vanished) continue;
            if (moves_) moves_->vanishedFolder(*child);
            holder.addChild(folder_.removeChild(*child));
            break;
        }
        holder.content().linkChild(folder_.content().unlinkChild(vanished));
        changed_ = true;
    }
}
