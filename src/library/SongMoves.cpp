#include "library/SongMoves.h"

#include <charconv>
#include <cstdio>
#include <optional>
#include <set>
#include <unordered_map>

#include "library/EntryNames.h"
#include "library/Repository.h"
#include "library/RepositoryFolder.h"
#include "library/SongDigest.h"
#include "platform/DiskFile.h"
#include "storage/Node.h"

namespace {

std::string pathIn(const RepositoryFolder& folder, const Node& entry) {
    return std::string(folder.path().view()) + "/" + entry.value();
}

std::optional<uint64_t> storedSize(const Node& entry) {
    const std::string_view text = entry.childValue(entry::kSize, "");
    uint64_t size = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), size);
    if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
    return size;
}

}  // namespace

SongMoves::SongMoves(Repository& repository) : repository_(repository) {}

SongMoves::~SongMoves() {
    retireOwned();
}

void SongMoves::added(Node& entry, RepositoryFolder& folder) {
    added_.push_back({&entry, &folder});
}

void SongMoves::vanished(Node* unlinked, const RepositoryFolder& folder) {
    owned_.push_back({unlinked, pathIn(folder, *unlinked)});
}

void SongMoves::vanishedFolder(const RepositoryFolder& folder) {
    for (Node& child : folder.content().children()) {
        if (child.hasName(entry::kAudio) && child.findChild(entry::kSize)) {
            inFolders_.push_back({&child, pathIn(folder, child)});
        }
    }
    for (const auto& subfolder : folder.children()) vanishedFolder(*subfolder);
}

void SongMoves::settle() {
    std::vector<const Song*> gone;
    for (const Song& song : owned_) gone.push_back(&song);
    for (const Song& song : inFolders_) gone.push_back(&song);
    const std::vector<std::vector<Candidate*>> matches = findSameRecordings(gone);
    std::set<RepositoryFolder*> changed;
    std::set<const Node*> handed;
    for (size_t i = 0; i < gone.size(); ++i) {
        if (matches[i].size() != 1 || matches[i].front()->matchedBy != 1) continue;
        hand(*gone[i], *matches[i].front());
        changed.insert(matches[i].front()->folder);
        handed.insert(gone[i]->entry);
    }
    for (RepositoryFolder* folder : changed) folder->save();
    for (const Song& song : owned_) {
        if (handed.contains(song.entry)) continue;
        std::printf("Removing %s from repository.\n", song.entry->value());
        ++repository_.scanTally.removed;
    }
    retireOwned();
    inFolders_.clear();
    added_.clear();
    candidates_.clear();
}

// For each vanished song, the added ones that are the same recording. Only added songs of
// a size some vanished song had are looked at.
std::vector<std::vector<SongMoves::Candidate*>> SongMoves::findSameRecordings(const std::vector<const Song*>& gone) {
    std::vector<std::vector<Candidate*>> matches(gone.size());
    std::unordered_map<uint64_t, std::vector<Candidate*>> bySize;
    for (const Song* song : gone) {
        if (const auto size = storedSize(*song->entry)) bySize[*size];
    }
    if (bySize.empty()) return matches;
    for (const Added& song : added_) {
        std::string path = pathIn(*song.folder, *song.entry);
        const std::optional<DiskFileStatus> status = statDiskFile(path);
        if (!status || !bySize.contains(status->size)) continue;
        candidates_.push_back(
            {.song = {song.entry, std::move(path)}, .folder = song.folder, .size = status->size, .digest = {}});
    }
    for (Candidate& candidate : candidates_) bySize[candidate.size].push_back(&candidate);
    for (size_t i = 0; i < gone.size(); ++i) {
        const auto size = storedSize(*gone[i]->entry);
        if (!size) continue;
        for (Candidate* candidate : bySize[*size]) {
            if (!sameRecording(*gone[i]->entry, *candidate)) continue;
            matches[i].push_back(candidate);
            ++candidate->matchedBy;
        }
    }
    return matches;
}

bool SongMoves::sameRecording(const Node& gone, Candidate& candidate) {
    const char* digest = gone.childValue(entry::kDigest, nullptr);
    if (!digest) return false;
    if (candidate.digest.empty()) candidate.digest = songDigest(candidate.song.path, candidate.size).value_or("-");
    return candidate.digest == digest;
}

void SongMoves::hand(const Song& gone, Candidate& candidate) {
    Node& taker = *candidate.song.entry;
    for (const Node& key : gone.entry->children()) {
        if (key.hasName(entry::kAdded)) {
            taker.setChild(entry::kAdded, key.value());
        } else if (!taker.findChild(key.name())) {
            taker.appendChild(key.name(), key.value());
        }
    }
    --repository_.scanTally.added;
    std::printf("Moved %s to %s\n", gone.path.c_str(), candidate.song.path.c_str());
}

void SongMoves::retireOwned() {
    for (Song& song : owned_) {
        repository_.retireEntry(*song.entry);
        Node::destroy(song.entry);
    }
    owned_.clear();
}
