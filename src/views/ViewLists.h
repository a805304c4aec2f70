#pragma once
// What one build of the library view lists. Items, nodes and folders belong to the
// repository; the lists only name them.

#include <cstdint>
#include <vector>

class RepositoryFolder;

struct ViewLists {
    // Item numbers (itemNumberOf), read through ListedItems.
    std::vector<uint32_t> items;
    // Per item: whether it may play (unrated, rated 0, or rated 2 and up).
    std::vector<uint8_t> playable;
    // Every folder the build visited, in visiting order, also those without a listed entry.
    std::vector<RepositoryFolder*> folders;
    // In the folder view: how many consecutive items each of `folders` holds. Empty in the
    // flat view, whose order no longer follows the folders.
    std::vector<int32_t> runs;
    // The TIME of the listed songs, in seconds.
    int32_t totalSeconds = 0;
};

// Songs rated 1 (or below 0) are skipped when walking the view; unrated ones play.
inline bool isPlayableRating(int rating) { return rating == 0 || rating >= 2; }
