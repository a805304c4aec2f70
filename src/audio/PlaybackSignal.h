#pragma once
// What happened to the song a player was asked to play, for the main loop. Each player
// holds its own: its end callback (run inside AudioEngine::update) and a failed open set
// it, stop() and the main loop clear it, all under the application lock.

enum class PlaybackSignal {
    kNone = 0,
    kEnded = 1,       // the song played to its end (or broke off while decoding)
    kOpenFailed = 2,  // the song or stream could not be opened or decoded at all
};
