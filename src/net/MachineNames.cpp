#include "net/MachineNames.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <netdb.h>
#include <netinet/in.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <memory>

namespace {

struct IfAddrsFree {
    void operator()(ifaddrs* list) const { freeifaddrs(list); }
};

struct AddrInfoFree {
    void operator()(addrinfo* list) const { freeaddrinfo(list); }
};

std::string addressText(const sockaddr* address) {
    std::array<char, INET6_ADDRSTRLEN> text{};
    if (address->sa_family == AF_INET) {
        inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(address)->sin_addr, text.data(), text.size());
    } else if (address->sa_family == AF_INET6) {
        inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6*>(address)->sin6_addr, text.data(), text.size());
    }
    return text.data();
}

std::string lowerCase(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c; });
    if (lower.ends_with('.')) lower.pop_back();
    return lower;
}

void addUnique(std::vector<std::string>& list, std::string text) {
    if (!text.empty() && std::find(list.begin(), list.end(), text) == list.end()) list.push_back(std::move(text));
}

void addInterfaceAddresses(MachineNames& machine) {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return;
    const std::unique_ptr<ifaddrs, IfAddrsFree> owner(list);
    for (const ifaddrs* entry = list; entry; entry = entry->ifa_next) {
        if (entry->ifa_addr) addUnique(machine.addresses, addressText(entry->ifa_addr));
    }
}

// The host name's own addresses and its canonical (domain) name.
void addResolvedHost(MachineNames& machine, const std::string& hostName) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_CANONNAME;
    addrinfo* list = nullptr;
    if (getaddrinfo(hostName.c_str(), nullptr, &hints, &list) != 0 || !list) return;
    const std::unique_ptr<addrinfo, AddrInfoFree> owner(list);
    if (list->ai_canonname) addUnique(machine.names, lowerCase(list->ai_canonname));
    for (const addrinfo* entry = list; entry; entry = entry->ai_next) {
        addUnique(machine.addresses, addressText(entry->ai_addr));
    }
}

}  // namespace

std::string canonicalAddress(std::string_view text) {
    const std::string literal(text);
    in6_addr v6{};
    std::array<char, INET6_ADDRSTRLEN> out{};
    if (inet_pton(AF_INET, literal.c_str(), &v6) == 1) return inet_ntop(AF_INET, &v6, out.data(), out.size());
    if (inet_pton(AF_INET6, literal.c_str(), &v6) == 1) return inet_ntop(AF_INET6, &v6, out.data(), out.size());
    return {};
}

bool MachineNames::hasAddress(std::string_view address) const {
    const std::string canonical = canonicalAddress(address);
    return !canonical.empty() && std::find(addresses.begin(), addresses.end(), canonical) != addresses.end();
}

bool MachineNames::hasName(std::string_view name) const {
    const std::string lower = lowerCase(name);
    return !lower.empty() && std::find(names.begin(), names.end(), lower) != names.end();
}

MachineNames readMachineNames() {
    MachineNames machine;
    machine.names.push_back("localhost");
    // Loopback is this machine even where its interface has no IPv6.
    machine.addresses = {"127.0.0.1", "::1"};
    addInterfaceAddresses(machine);
    std::array<char, 256> host{};
    if (gethostname(host.data(), host.size() - 1) == 0 && host[0] != '\0') {
        const std::string hostName = host.data();
        addUnique(machine.names, lowerCase(hostName));
        addUnique(machine.names, lowerCase(hostName.substr(0, hostName.find('.'))));
        addResolvedHost(machine, hostName);
    }
    return machine;
}
