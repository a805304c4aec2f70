#pragma once
// Lets a song's history follow its file when a scan finds it moved or renamed. The folder
// synchronisers of one merge report the songs they add and the ones whose file vanished;
// `settle` then pairs them up and only afterwards retires what stayed unpaired. Used under
// the application lock, for one merge.
//
// At merge time a new file's tags are not read yet, but a vanished entry keeps what the tag
// reading stored: SIZE and DIGEST (a hash of the first and last 64 KB). So a new file is a
// candidate when its size (one stat) equals a vanished entry's SIZE, and only candidates
// are read, at most 128 KB each. The same first and last 64 KB hold the tags of the
// formats the library reads, so a match is the same recording with the same tags. A
// vanished entry whose tags were never read is never matched.

#include <cstdint>
#include <string>
#include <vector>

class Node;
class Repository;
class RepositoryFolder;

class SongMoves {
public:
    explicit SongMoves(Repository& repository);
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
    // other key the new entry lacks added: RATE, PLAYCOUNT, PLAYTIME, ...), logs
    // "Moved %s to %s" and saves the folder. The rest is retired and logged as removed.
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
    // An added song of a size some vanished song had.
    struct Candidate {
        Song song;
        RepositoryFolder* folder;
        uint64_t size;
        std::string digest;  // read once, when first needed
        int matchedBy = 0;
    };

    std::vector<std::vector<Candidate*>> findSameRecordings(const std::vector<const Song*>& gone);
    static bool sameRecording(const Node& gone, Candidate& candidate);
    void hand(const Song& gone, Candidate& candidate);
    void retireOwned();

    Repository& repository_;
    std::vector<Song> owned_;      // unlinked entries, destroyed at settle
    std::vector<Song> inFolders_;  // entries of vanished folders
    std::vector<Added> added_;
    std::vector<Candidate> candidates_;
};
