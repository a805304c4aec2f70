#pragma once
// Single values that one thread writes and another polls; they carry no other data.

#include <atomic>

// Set once by the quit command or a stop signal; never cleared.
extern std::atomic<bool> quitRequested;
// Set by the web server thread while it runs.
extern std::atomic<bool> serverRunning;
// Set by the background scan worker while it runs.
extern std::atomic<bool> scanRunning;

inline void requestQuit() { quitRequested = true; }
inline bool isRunning() { return !quitRequested; }
