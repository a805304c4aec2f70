#include "server/AccessRule.h"

#include "net/HostInfo.h"
#include "text/StrList.h"

namespace {

bool listed(std::string_view peer, const StrList& access) {
    for (const Str& entry : access) {
        if (entry == "*" || entry == peer) return true;
    }
    return false;
}

}  // namespace

bool isAllowed(std::string_view peer, const StrList& access) {
    if (peer == "127.0.0.1") return true;
    // The list first: it needs no name look-up.
    if (listed(peer, access)) return true;
    const HostInfo local = lookupLocalHost();
    return local.found() && local.addressText() == peer;
}
