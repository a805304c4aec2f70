#include "desktop/WatcherLink.h"

#include <string_view>

namespace {

constexpr char kWatcher[] = "org.kde.StatusNotifierWatcher";

// NameOwnerChanged(name, old owner, new owner): a watcher that has just appeared.
int ownerChanged(sd_bus_message* message, void* userdata, sd_bus_error*) {
    const char* name = nullptr;
    const char* oldOwner = nullptr;
    const char* newOwner = nullptr;
    if (sd_bus_message_read(message, "sss", &name, &oldOwner, &newOwner) < 0) return 0;
    if (std::string_view(name) == kWatcher && *newOwner) {
        static_cast<WatcherLink*>(userdata)->registerItem(sd_bus_message_get_bus(message));
    }
    return 0;
}

// No watcher yet is the common case on a desktop without a tray; the match catches it later.
int registered(sd_bus_message*, void*, sd_bus_error*) { return 0; }

}  // namespace

int WatcherLink::start(sd_bus* bus) {
    sd_bus_slot* slot = nullptr;
    const int r = sd_bus_match_signal(bus, &slot, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                      "org.freedesktop.DBus", "NameOwnerChanged", ownerChanged, this);
    if (r < 0) return r;
    ownerMatch_.reset(slot);
    registerItem(bus);
    return 0;
}

void WatcherLink::registerItem(sd_bus* bus) {
    sd_bus_slot* slot = nullptr;
    if (sd_bus_call_method_async(bus, &slot, kWatcher, "/StatusNotifierWatcher", kWatcher, "RegisterStatusNotifierItem",
                                 registered, this, "s", itemName_.c_str()) >= 0) {
        pendingCall_.reset(slot);
    }
}
