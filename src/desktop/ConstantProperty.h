#pragma once
// sd-bus property getters for values that never change.

#include <systemd/sd-bus.h>

template <const char* text>
int constantText(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void*, sd_bus_error*) {
    return sd_bus_message_append(reply, "s", text);
}

template <bool flag>
int constantFlag(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void*, sd_bus_error*) {
    return sd_bus_message_append(reply, "b", flag ? 1 : 0);
}

inline int noTexts(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void*, sd_bus_error*) {
    return sd_bus_message_append(reply, "as", 0);
}
