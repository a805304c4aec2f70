#include "library/SongMoves.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <system_error>
#include <thread>
#include <unordered_map>
#include <utility>

#include "library/EntryNames.h"
#include "library/Repository.h"
#include "library/RepositoryFolder.h"
#include "library/SongDigest.h"
#include "platform/DiskFile.h"
#include "storage/Node.h"
#include "text/TextSearch.h"

namespace {

constexpr std::string_view kSameRecordingTags[] = {"TITLE", "ARTIST", "ALBUM", "TRACK"};
// TIME drops the fraction of a second, and the candidate's length is the quick estimate
// where the stored one may have been measured: a second for each.
constexpr int kLengthSlackSeconds = 2;

std::string pathIn(const RepositoryFolder& folder, const Node& entry) {
    return std::string(folder.path()) + "/" + entry.value();
}

std::optional<uint64_t> storedSize(const Node& entry) {
    const std::string_view text = entry.childValue(entry::kSize, "");
    uint64_t size = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), size);
    if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
    return size;
}

bool sameTags(const Node& gone, const Node& tags) {
    for (const std::string_view key : kSameRecordingTags) {
        if (std::string_view(gone.childValue(key, "")) != tags.childValue(key, "")) return false;
    }
    return true;
}

// Only when both are known: 00:00 and an unread TIME tell nothing.
bool sameLength(const Node& gone, uint32_t lengthMs) {
    const int stored = minSecToSeconds(gone.childValue("TIME", ""));
    const int read = static_cast<int>(lengthMs / 1000);
    return stored <= 0 || lengthMs == 0 || std::abs(stored - read) <= kLengthSlackSeconds;
}

}  // namespace

SongMoves::SongMoves(Repository& repository, ReadTags readTags)
    : repository_(repository), readTags_(std::move(readTags)) {}

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
    struct SameSize {
        bool tagged = false;    // a vanished song of that size is known by its tags
        bool digested = false;  // one by its digest
        std::vector<Candidate*> candidates;
    };
    std::vector<std::vector<Candidate*>> matches(gone.size());
    std::unordered_map<uint64_t, SameSize> bySize;
    for (const Song* song : gone) {
        const auto size = storedSize(*song->entry);
        if (!size) continue;
        if (namedByTags(*song->entry)) {
            bySize[*size].tagged = true;
        } else if (song->entry->findChild(entry::kDigest)) {
            bySize[*size].digested = true;
        }
    }
    if (bySize.empty()) return matches;
    for (const Added& song : added_) {
        std::string path = pathIn(*song.folder, *song.entry);
        const std::optional<DiskFileStatus> status = statDiskFile(path);
        const auto sameSize = status ? bySize.find(status->size) : bySize.end();
        if (sameSize == bySize.end()) continue;
        candidates_.push_back({.song = {song.entry, std::move(path)},
                               .folder = song.folder,
                               .size = status->size,
                               .wantsTags = sameSize->second.tagged,
                               .wantsDigest = sameSize->second.digested,
                               .tags = nullptr});
    }
    readCandidates();
    for (Candidate& candidate : candidates_) bySize[candidate.size].candidates.push_back(&candidate);
    for (size_t i = 0; i < gone.size(); ++i) {
        const auto size = storedSize(*gone[i]->entry);
        const auto sameSize = size ? bySize.find(*size) : bySize.end();
        if (sameSize == bySize.end()) continue;
        for (Candidate* candidate : sameSize->second.candidates) {
            if (!sameRecording(*gone[i]->entry, *candidate)) continue;
            matches[i].push_back(candidate);
            ++candidate->matchedBy;
        }
    }
    return matches;
}

// Side by side on a thread a core, the merge thread among them: the reading is plain file
// reads, so the lock the merge holds is held the shorter. A few candidates are not worth
// a thread.
void SongMoves::readCandidates() {
    constexpr size_t kCandidatesPerThread = 64;
    const size_t threads =
        std::min<size_t>(std::max(1u, std::thread::hardware_concurrency()), candidates_.size() / kCandidatesPerThread);
    std::atomic<size_t> next{0};
    const auto readRest = [this, &next] {
        for (size_t i = next++; i < candidates_.size(); i = next++) read(candidates_[i]);
    };
    std::vector<std::jthread> helpers;
    try {
        while (helpers.size() + 1 < threads) helpers.emplace_back(readRest);
    } catch (const std::system_error&) {
        // Fewer helpers read the same candidates, only slower.
    }
    readRest();
}

// Touches nothing but the candidate and its file, so candidates may be read side by side.
void SongMoves::read(Candidate& candidate) const {
    if (candidate.wantsTags && readTags_) {
        auto tags = std::make_unique<Node>();
        if (readTags_(candidate.song.path, *tags, candidate.lengthMs)) candidate.tags = std::move(tags);
    }
    if (candidate.wantsDigest) candidate.digest = songDigest(candidate.song.path, candidate.size);
}

// By the tags for a song that has them, else by the digest of its file.
bool SongMoves::sameRecording(const Node& gone, const Candidate& candidate) {
    if (namedByTags(gone)) {
        return candidate.tags && sameTags(gone, *candidate.tags) && sameLength(gone, candidate.lengthMs);
    }
    const char* digest = gone.childValue(entry::kDigest, nullptr);
    return digest && candidate.digest && *candidate.digest == digest;
}

void SongMoves::hand(const Song& gone, Candidate& candidate) {
    Node& taker = *candidate.song.entry;
    // A tagged song is known by its tags: a DIGEST it may still have is not carried on.
    const bool dropDigest = namedByTags(*gone.entry);
    for (const Node& key : gone.entry->children()) {
        if (dropDigest && key.hasName(entry::kDigest)) continue;
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
