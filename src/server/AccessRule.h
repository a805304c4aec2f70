#pragma once
// Which peers may use the web interface.

#include <string_view>

class MachineIdentity;
class StrList;

// True for 127.0.0.1, for every address of this machine, and for peers the access list names
// exactly or admits with "*". Never waits for the resolver.
bool isAllowed(std::string_view peer, const StrList& access, const MachineIdentity& machine);
