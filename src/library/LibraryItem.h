#pragma once
// The handle that gives one entry node an id while the process runs. Items come from the
// library item pool and are owned by a LibraryItemIndex; nodes and folders are not owned.

#include <cstdint>

#include "text/Str.h"

class Node;
class RepositoryFolder;

struct LibraryItem {
    uint32_t entry;  // the entry node's Node::number, which costs half a pointer
    int32_t id;
    RepositoryFolder* folder;  // null for an entry outside any folder

    Node* node() const;

    // A station of the radio list: its location needs a fetch, unless it is a direct stream.
    bool isStation() const;
    // A station's own stream address (STREAM), which needs no playlist; null otherwise.
    const char* directStream() const;
    // The folder's path, "/", the node's value; only the value without a folder.
    Str entryPath() const;
    // The text the song player opens: a song's path (with `withFolder` and a folder path) or
    // bare name, a playlist file's first stream, or a station's first stream fetched over
    // HTTP now (this blocks). "error" when nothing usable is found.
    Str location(bool withFolder) const;
};
