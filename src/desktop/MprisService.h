#pragma once
// The media-player interface that desktop media keys and media controls speak:
// org.mpris.MediaPlayer2.velmorant with the root and Player interfaces. D-Bus thread only.

#include <systemd/sd-bus.h>

#include <chrono>
#include <string>

#include "desktop/BusPointers.h"
#include "desktop/DesktopHooks.h"
#include "desktop/NowPlaying.h"

class MprisService {
public:
    // The hooks must outlive the service.
    explicit MprisService(const DesktopHooks& hooks) : hooks_(hooks) {}

    // Publishes the objects and takes the bus name; a negative errno when the bus refuses.
    int publish(sd_bus* bus);
    // A fresh reading: signals what changed since the last one, and Seeked after a jump.
    void update(sd_bus* bus, const NowPlaying& now);

    // Methods and properties, for the vtables.
    const NowPlaying& now() const { return now_; }
    std::string trackId() const;
    // The last reading moved on by the time since it was taken, while playing.
    int64_t positionUs() const;
    void seekTo(int64_t positionUs);
    void send(std::string_view command) const { hooks_.sendCommand(command); }
    void openWebInterface() const { hooks_.openWebInterface(); }

private:
    bool jumped(const NowPlaying& next) const;

    const DesktopHooks& hooks_;
    NowPlaying now_;
    std::chrono::steady_clock::time_point readAt_ = std::chrono::steady_clock::now();
    SlotPtr rootSlot_;
    SlotPtr playerSlot_;
};
