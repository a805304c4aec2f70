#pragma once
// Registers the tray item with the desktop's StatusNotifierWatcher: now, when one runs, and
// again whenever a watcher appears later (a restarted panel). D-Bus thread only.

#include <systemd/sd-bus.h>

#include <string>

#include "desktop/BusPointers.h"

class WatcherLink {
public:
    // `itemName` is the bus name of the item to register.
    explicit WatcherLink(std::string itemName) : itemName_(std::move(itemName)) {}

    // Watches for watchers and registers with one already there; a negative errno on failure.
    int start(sd_bus* bus);
    // Asks the watcher, without waiting for its answer.
    void registerItem(sd_bus* bus);

private:
    std::string itemName_;
    SlotPtr ownerMatch_;
    SlotPtr pendingCall_;
};
