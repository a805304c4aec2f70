#pragma once
// What the desktop side knows of the player: one reading, taken under the application lock
// and then handed to the D-Bus thread by value.

#include <cstdint>
#include <string>

enum class PlayStatus { kStopped, kPlaying, kPaused };

struct NowPlaying {
    PlayStatus status = PlayStatus::kStopped;
    bool hasTrack = false;
    int32_t playPosition = 0;  // changes with the song
    std::string title;
    std::string artist;
    std::string album;
    std::string url;     // file:// of a song, the address of a stream
    std::string artUrl;  // the player's own picture command; empty when there is none
    int64_t lengthUs = 0;  // 0 when unknown, as for a stream
    int64_t positionUs = 0;
    double volume = 1.0;
    double rate = 1.0;
    std::string tooltip;  // uncut

    bool operator==(const NowPlaying&) const = default;
};
