#pragma once
// The outcome of starting the player or sending a command to the running one.

#include <optional>
#include <string>

struct StartResult {
    bool ok = true;
    std::optional<std::string> message;  // shown to the user when ok is false

    static StartResult success() { return {}; }
    static StartResult failure(std::string text) { return {false, std::move(text)}; }
};
