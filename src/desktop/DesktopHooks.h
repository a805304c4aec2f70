#pragma once
// How the D-Bus side reaches the player: it reads the state and sends web commands, and
// never touches the application itself. Every hook is called on the D-Bus thread.

#include <functional>
#include <string_view>

#include "desktop/NowPlaying.h"

class WakeSignal;

struct DesktopHooks {
    std::function<NowPlaying()> readState;                     // takes the application lock
    // Called once: from then on readState wakes no one, and the signal shows input when the
    // state may have changed (another thread released the lock).
    std::function<const WakeSignal&()> watchChanges;
    std::function<void(std::string_view)> sendCommand;         // "next", "setvolume&value=500"; never waits
    std::function<void()> openWebInterface;                    // the browser at the player's address
};
