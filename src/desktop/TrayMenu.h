#pragma once
// The tray icon's menu, as desktop hosts read it over com.canonical.dbusmenu: Show web UI,
// separator, Play, Stop, Pause, Previous, Next, separator, Exit. D-Bus thread only.

#include <systemd/sd-bus.h>

#include "desktop/BusPointers.h"
#include "desktop/DesktopHooks.h"

class TrayMenu {
public:
    static constexpr char kPath[] = "/MenuBar";

    // The hooks must outlive the menu.
    explicit TrayMenu(const DesktopHooks& hooks) : hooks_(hooks) {}

    // Publishes the menu object; a negative errno when the bus refuses.
    int publish(sd_bus* bus);
    // A click on the item with this id.
    void activate(int id) const;

private:
    const DesktopHooks& hooks_;
    SlotPtr slot_;
};
