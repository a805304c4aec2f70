#pragma once
// Owning pointers for sd-bus objects.

#include <systemd/sd-bus.h>

#include <memory>

struct BusUnref {
    void operator()(sd_bus* bus) const { sd_bus_flush_close_unref(bus); }
    void operator()(sd_bus_slot* slot) const { sd_bus_slot_unref(slot); }
    void operator()(sd_bus_message* message) const { sd_bus_message_unref(message); }
};

using BusPtr = std::unique_ptr<sd_bus, BusUnref>;
using SlotPtr = std::unique_ptr<sd_bus_slot, BusUnref>;
using MessagePtr = std::unique_ptr<sd_bus_message, BusUnref>;
