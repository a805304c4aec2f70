#pragma once
// Lets a song's history follow its file when a scan finds it moved or renamed. The folder
// synchronisers of one merge report the songs they add and the ones whose file vanished;
// `settle` then pairs them up and only afterwards retires what stayed unpaired. Used under
// the application lock, for one merge.
//
// At merge time a new file's tags are not read yet, but a vanished entry keeps what the tag
// reading stored: SIZE always, the tags, and DIGEST for a song without title and artist.
// So a new file is a candidate when its size (one stat) equals a vanished entry's SIZE;
// only candidates are read: their tags through `ReadTags`, or, against a DIGEST, their
// first and last 64 KB. A vanished entry whose tags were never read is never matched.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class Node;
class Repository;
class RepositoryFolder;

class SongMoves {
public:
    // Reads a file's length and tags into a scratch entry, as the library stores them.
    using ReadTags = std::function<void(Node& entry, std::string_view path)>;

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
    // other key the new entry lacks added: RATE, PLAYCOUNT, PLAYTIME, ...), logs
    // "Moved %s to %s" and saves the folder. The rest is retired and logged as removed.
    void settle();

private:
    struct Song {
        Node* entry;
        std::string path;
    };
    struct Candidate {
        Song song;
        RepositoryFolder* folder;
        std::unique_ptr<Node> tags;  // read once, when first needed
        std::string digest;          // likewise
        int matchedBy = 0;
    };

    std::vector<std::vector<Candidate*>> findSameRecordings(const std::vector<const Song*>& gone);
    bool sameRecording(const Node& gone, Candidate& candidate);
    void hand(const Song& gone, Candidate& candidate);
    void retireOwned();

    Repository& repository_;
    ReadTags readTags_;
    std::vector<Song> owned_;      // unlinked entries, destroyed at settle
    std::vector<Song> inFolders_;  // entries of vanished folders
    std::vector<Candidate> added_;
};
