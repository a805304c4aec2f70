#pragma once
// The command paths of the web interface and the function that answers each one.

#include <string_view>

struct CommandCall;

using CommandFunction = void (*)(CommandCall&);

struct Command {
    std::string_view path;
    CommandFunction run;
};

// The command whose path equals `path` exactly (case-sensitive), or null for a static file.
const Command* findCommand(std::string_view path);
