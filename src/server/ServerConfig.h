#pragma once
// What the web server takes from the application: where it listens, whom it admits, what it
// serves, and the clock of its Date line.

#include <chrono>
#include <ctime>
#include <functional>
#include <string>

#include "text/StrList.h"

struct ServerConfig {
    int port = 1200;            // 0 lets the system choose (tests, benchmarks)
    StrList access;             // peers admitted besides this machine; "*" admits every peer
    StrList hostNames;          // names the server is reached by besides this machine's own
    std::string webFolder;      // the static files; no trailing "/"
    std::function<std::time_t()> now = [] { return std::time(nullptr); };
    // How long an accepted connection may stay silent, or stall its answer, before it is dropped.
    std::chrono::milliseconds silenceLimit{10000};
    // A descriptor that turns readable once quit is asked for. With one, the server sleeps
    // without a time-out while no connection waits on a timer; without, it looks every 100 ms.
    int quitHandle = -1;
};
