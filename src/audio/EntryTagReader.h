#pragma once
// Reads a library entry's length and tags into its node: a station's from its node-tree
// file, a song's through a player of its own that opens the file for tags only, so the
// playing song is never disturbed. Under the application lock, or without it on a tag
// worker, whose node is its own.

#include <string_view>

class Node;
class SoundSystem;
class StatusBoard;

class EntryTagReader {
public:
    EntryTagReader(SoundSystem& system, StatusBoard& board) : system_(system), board_(board) {}

    // See AudioEngine::readTags.
    bool read(Node& entry, std::string_view path, std::string_view logName) const;

private:
    bool readSong(Node& entry, std::string_view path, std::string_view logName) const;

    SoundSystem& system_;
    StatusBoard& board_;
};
