#include "net/HostInfo.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <memory>
#include <string>

#include "net/SocketErrors.h"

namespace {

struct AddrInfoFree {
    void operator()(addrinfo* list) const { freeaddrinfo(list); }
};

Str dottedQuad(const addrinfo& entry) {
    std::array<char, INET_ADDRSTRLEN> text{};
    const auto* address = reinterpret_cast<const sockaddr_in*>(entry.ai_addr);
    inet_ntop(AF_INET, &address->sin_addr, text.data(), text.size());
    return Str(text.data());
}

}  // namespace

HostInfo lookupHost(std::string_view name) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_CANONNAME;
    addrinfo* list = nullptr;
    const std::string host(name);
    const int result = getaddrinfo(host.c_str(), nullptr, &hints, &list);
    if (result != 0 || list == nullptr) {
        reportHostLookupError(result, errno);
        return {};
    }
    const std::unique_ptr<addrinfo, AddrInfoFree> owner(list);
    const char* canonical = list->ai_canonname ? list->ai_canonname : host.c_str();
    return {Str(canonical), dottedQuad(*list)};
}

HostInfo lookupLocalHost() {
    std::array<char, 65> name{};
    if (gethostname(name.data(), name.size() - 1) != 0) {
        reportHostLookupError(EAI_SYSTEM, errno);
        return {};
    }
    return lookupHost(name.data());
}
