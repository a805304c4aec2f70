#pragma once
// Which peers may use the web interface.

#include <string_view>

class StrList;

// True for 127.0.0.1, for this machine's first address, and for peers the access list names
// exactly or admits with "*". May look up the machine's own name (blocking, any thread).
bool isAllowed(std::string_view peer, const StrList& access);
