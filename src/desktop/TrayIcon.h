#pragma once
// The program's icon drawn as pixels, for tray hosts that cannot look it up by name.

#include <cstdint>
#include <vector>

// size × size pixels, ARGB, 8 bits each, in network byte order, row by row.
std::vector<uint8_t> trayIconPixels(int size);
