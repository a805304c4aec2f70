#pragma once
// The numbers that name what plays, in commands, row ids and the status feed: below
// kQueueBase a library item id, from it on kQueueBase plus an index into the play queue.
// kCurrentSong in a command stands for the song now playing (or its folder).

#include <cstdint>

namespace play {

inline constexpr int32_t kQueueBase = 1000000000;
inline constexpr int32_t kCurrentSong = 2147483647;

constexpr bool isQueuePosition(int32_t position) { return position >= kQueueBase; }

}  // namespace play
