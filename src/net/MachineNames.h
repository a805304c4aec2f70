#pragma once
// What this machine is called and where it can be reached: the addresses of its network
// interfaces and of its host name, and its host name with and without its domain.

#include <string>
#include <string_view>
#include <vector>

struct MachineNames {
    std::vector<std::string> addresses;  // IPv4 and IPv6 in inet_ntop's form
    std::vector<std::string> names;      // lower case

    // The address as written in a URL or by a peer ("::1", "127.0.0.1"), in any of its forms.
    bool hasAddress(std::string_view address) const;
    // Letter case and one trailing dot do not count.
    bool hasName(std::string_view name) const;
};

// Asks the interfaces and the resolver; blocks while the resolver works. Usable on any thread.
MachineNames readMachineNames();

// An IPv4 or IPv6 literal in inet_ntop's form; empty when the text is not an address.
std::string canonicalAddress(std::string_view text);
