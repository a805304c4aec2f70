#pragma once
// The tray icon as a StatusNotifierItem: the program's icon, the playing song as title and
// tooltip (cut to 63 characters), a click opens the web interface, the menu is TrayMenu's.
// It is shown once a StatusNotifierWatcher (the desktop's tray host) registers it. D-Bus
// thread only.

#include <systemd/sd-bus.h>

#include <string>

#include "desktop/BusPointers.h"
#include "desktop/DesktopHooks.h"
#include "desktop/NowPlaying.h"

class TrayItem {
public:
    // The hooks must outlive the item.
    explicit TrayItem(const DesktopHooks& hooks) : hooks_(hooks) {}

    // Publishes the item and takes its bus name; a negative errno when the bus refuses.
    int publish(sd_bus* bus);
    // The name watchers register.
    const std::string& busName() const { return busName_; }
    // A fresh reading: a new song text signals a new title and tooltip.
    void update(sd_bus* bus, const NowPlaying& now);

    // For the vtable.
    const std::string& tip() const { return tip_; }
    void activate() const { hooks_.openWebInterface(); }

private:
    const DesktopHooks& hooks_;
    std::string busName_;
    std::string tip_ = "VelmorantPlayer";
    SlotPtr slot_;
};

// At most 63 characters of the text, never cutting a UTF-8 sequence.
std::string cutTooltip(std::string_view text);
