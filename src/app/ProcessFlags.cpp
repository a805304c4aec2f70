#include "app/ProcessFlags.h"

std::atomic<bool> quitRequested{false};
std::atomic<bool> serverRunning{false};
std::atomic<bool> scanRunning{false};
