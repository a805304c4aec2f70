#pragma once
// Host name look-ups (IPv4). Results are owned copies, so they may be kept and used on
// any thread. Both look-ups block while the resolver works.

#include <string_view>
#include <utility>

#include "text/Str.h"

class HostInfo {
public:
    HostInfo() = default;  // nothing found
    HostInfo(Str name, Str addressText)
        : name_(std::move(name)), address_(std::move(addressText)) {}

    bool found() const { return !address_.empty(); }
    // The first IPv4 address of the host as a dotted quad.
    const Str& addressText() const { return address_; }
    // The host's official (canonical) name.
    const Str& name() const { return name_; }

private:
    Str name_;
    Str address_;
};

// Looks up a name or dotted quad. On failure prints the look-up text (no line feed).
HostInfo lookupHost(std::string_view name);
// Looks up this machine's own host name, with the same reporting.
HostInfo lookupLocalHost();
