#include "server/AccessRule.h"

#include "net/MachineIdentity.h"
#include "text/StrList.h"

namespace {

bool listed(std::string_view peer, const StrList& access) {
    for (const Str& entry : access) {
        if (entry == "*" || entry == peer) return true;
    }
    return false;
}

}  // namespace

bool isAllowed(std::string_view peer, const StrList& access, const MachineIdentity& machine) {
    return peer == "127.0.0.1" || listed(peer, access) || machine.isOwnAddress(peer);
}
