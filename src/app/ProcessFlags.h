#pragma once
// Single values that one thread writes and another polls; they carry no other data.

#include <atomic>

class WakeSignal;

// Set once by the quit command or a stop signal; never cleared.
extern std::atomic<bool> quitRequested;
// Set by the web server thread while it runs.
extern std::atomic<bool> serverRunning;
// Set by the background scan worker while it runs.
extern std::atomic<bool> scanRunning;

// Turns readable for poll() at requestQuit and stays so, for threads that sleep until there
// is work. Never drain it.
const WakeSignal& quitSignal();

// Safe in a signal handler.
void requestQuit();
inline bool isRunning() { return !quitRequested; }
