#include "app/ProcessFlags.h"

#include "platform/WakeSignal.h"

std::atomic<bool> quitRequested{false};
std::atomic<bool> serverRunning{false};
std::atomic<bool> scanRunning{false};

namespace {

// Made before main, so a stop signal never meets it half made.
const WakeSignal quitNotice;

}  // namespace

const WakeSignal& quitSignal() { return quitNotice; }

void requestQuit() {
    quitRequested = true;
    quitNotice.notify();
}
