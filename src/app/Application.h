#pragma once
// The state of the running instance. Everything it holds is touched under its lock,
// whether from the main loop, a web request or the background scan.

#include <cstdint>
#include <mutex>
#include <string>

#include "app/StartResult.h"
#include "app/StatusBoard.h"

class Application {
public:
    Application() = default;
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Runs before any other thread exists, so without the lock.
    StartResult start(const std::string& programFolder, const std::string& settingsFolder);

    // Recursive on one thread.
    void lock() { lock_.lock(); }
    void unlock() { lock_.unlock(); }

    float volume = 1.0f;
    std::string programFolder;
    std::string settingsFolder;
    StatusBoard statusBoard;
    int64_t currentTime = 0;  // seconds since 1970, taken once per main-loop pass

private:
    std::recursive_mutex lock_;
};

// Set by the run function for the life of the running instance.
extern Application* theApplication;
