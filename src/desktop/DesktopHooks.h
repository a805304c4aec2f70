#pragma once
// How the D-Bus side reaches the player: it reads the state and sends web commands, and
// never touches the application itself. Every hook is called on the D-Bus thread.

#include <functional>
#include <string_view>

#include "desktop/NowPlaying.h"

struct DesktopHooks {
    std::function<NowPlaying()> readState;                     // takes the application lock
    std::function<void(std::string_view)> sendCommand;         // "next", "setvolume&value=500"; never waits
    std::function<void()> openWebInterface;                    // the browser at the player's address
};
