#pragma once
// Lets a song's history follow its file when a scan finds it moved or renamed. The folder
// synchronisers of one merge report the songs they add and the ones whose file vanished;
// `settle` then pairs them up and only afterwards retires what stayed unpaired. Used under
// the application lock, for one merge.
//
// At merge time a new file's tags are not read yet, but a vanished entry keeps what the tag
// reading stored: SIZE, its tags and TIME, and for a song no title, artist or album names a
// DIGEST (see songDigest). A new file is a candidate when its size (one stat) equals a
// vanished entry's SIZE, and only candidates are read, side by side on a thread a core: for
// a tagged vanished song their tags through TagLib alone, which must give the same title,
// artist, album and track, and a length within two seconds of TIME when both are known;
// for an untagged one their first and last 64 KB, which must give its DIGEST. A vanished
// entry whose tags were never read is never matched.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class Node;
class Repository;
class RepositoryFolder;

class SongMoves {
public:
    // A file's tags into `tags` as the tag reading would store them (TITLE, ARTIST, ALBUM,
    // TRACK, ...), and its length (0 when unknown); false when it reads as no audio. Called
    // on several threads at once, without the lock.
    using ReadTags = std::function<bool(std::string_view path, Node& tags, uint32_t& lengthMs)>;

    // Without `readTags` only untagged songs are followed.
    SongMoves(Repository& repository, ReadTags readTags);
    // Retires whatever settle was not called for.
    ~SongMoves();
    SongMoves(const SongMoves&) = delete;
    SongMoves& operator=(const SongMoves&) = delete;

    // A song entry just added to the folder.
    void added(Node& entry, RepositoryFolder& folder);
    // A song entry whose file vanished, already unlinked from the folder: owned from now on,
    // its item kept until settle.
    void vanished(Node* unlinked, const RepositoryFolder& folder);
    // Every song of a folder that vanished as a whole; the folder keeps them.
    void vanishedFolder(const RepositoryFolder& folder);

    // A vanished song with exactly one same recording among the added, which is the same
    // recording of no other vanished song, hands its keys to it (ADDED replaced, every
    // other key the new entry lacks added: RATE, PLAYCOUNT, PLAYTIME, ..., but not the
    // DIGEST of a tagged song), logs "Moved %s to %s" and saves the folder. The rest is
    // retired and logged as removed.
    void settle();

private:
    struct Song {
        Node* entry;
        std::string path;
    };
    // Small, since a first scan adds every song.
    struct Added {
        Node* entry;
        RepositoryFolder* folder;
    };
    // An added song of a size some vanished song had, and what those need read of it.
    struct Candidate {
        Song song;
        RepositoryFolder* folder;
        uint64_t size;
        bool wantsTags = false;
        bool wantsDigest = false;
        std::unique_ptr<Node> tags;  // null when not read or not audio
        uint32_t lengthMs = 0;
        std::optional<std::string> digest = std::nullopt;
        int matchedBy = 0;
    };

    std::vector<std::vector<Candidate*>> findSameRecordings(const std::vector<const Song*>& gone);
    void readCandidates();
    void read(Candidate& candidate) const;
    static bool sameRecording(const Node& gone, const Candidate& candidate);
    void hand(const Song& gone, Candidate& candidate);
    void retireOwned();

    Repository& repository_;
    ReadTags readTags_;
    std::vector<Song> owned_;      // unlinked entries, destroyed at settle
    std::vector<Song> inFolders_;  // entries of vanished folders
    std::vector<Added> added_;
    std::vector<Candidate> candidates_;
};
