#pragma once
// Names the calling thread, so tools that list a process's threads (top -H, /proc) tell
// them apart. Linux keeps at most 15 bytes of the name.

#include <string_view>

void nameThisThread(std::string_view name);
