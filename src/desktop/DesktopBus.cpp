#include "desktop/DesktopBus.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <systemd/sd-bus.h>
#include <time.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "desktop/BusPointers.h"
#include "desktop/MprisService.h"
#include "desktop/TrayItem.h"
#include "desktop/TrayMenu.h"
#include "desktop/WatcherLink.h"
#include "platform/ThreadName.h"

namespace {

constexpr uint64_t kReadEveryUs = 1000000;

uint64_t monotonicUs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint64_t>(now.tv_sec) * 1000000 + static_cast<uint64_t>(now.tv_nsec) / 1000;
}

void reportOff(const char* why, int error) {
    std::printf("No desktop session bus (%s: %s): the tray icon and media keys are off.\n", why, std::strerror(-error));
}

// Milliseconds until the earlier of the next reading and what the bus waits for.
int pollTimeoutMs(sd_bus* bus, uint64_t nextReadUs) {
    uint64_t until = nextReadUs;
    uint64_t busUntil = 0;
    if (sd_bus_get_timeout(bus, &busUntil) >= 0) until = std::min(until, busUntil);
    const uint64_t now = monotonicUs();
    return until <= now ? 0 : static_cast<int>((until - now + 999) / 1000);
}

}  // namespace

DesktopBus::DesktopBus(DesktopHooks hooks)
    : hooks_(std::move(hooks)), stop_(eventfd(0, EFD_CLOEXEC)), thread_([this] { run(); }) {}

DesktopBus::~DesktopBus() {
    const uint64_t one = 1;
    if (write(stop_.get(), &one, sizeof one) < 0) std::perror("eventfd");
    thread_.join();
}

void DesktopBus::run() {
    nameThisThread("vm-desktop-bus");
    sd_bus* opened = nullptr;
    int r = sd_bus_open_user(&opened);
    BusPtr bus(opened);
    if (r < 0) return reportOff("connect", r);
    MprisService mpris(hooks_);
    if ((r = mpris.publish(bus.get())) < 0) return reportOff("media player", r);
    TrayMenu menu(hooks_);
    TrayItem tray(hooks_);
    if ((r = menu.publish(bus.get())) < 0 || (r = tray.publish(bus.get())) < 0) return reportOff("tray icon", r);
    WatcherLink watcher(tray.busName());
    if ((r = watcher.start(bus.get())) < 0) return reportOff("tray watcher", r);

    uint64_t nextReadUs = 0;
    for (;;) {
        while ((r = sd_bus_process(bus.get(), nullptr)) > 0) {
        }
        if (r < 0) return reportOff("lost", r);
        if (monotonicUs() >= nextReadUs) {
            const NowPlaying now = hooks_.readState();
            mpris.update(bus.get(), now);
            tray.update(bus.get(), now);
            nextReadUs = monotonicUs() + kReadEveryUs;
            continue;
        }
        pollfd fds[] = {{sd_bus_get_fd(bus.get()), static_cast<short>(sd_bus_get_events(bus.get())), 0},
                        {stop_.get(), POLLIN, 0}};
        if (poll(fds, 2, pollTimeoutMs(bus.get(), nextReadUs)) < 0 && errno != EINTR) return;
        if (fds[1].revents) return;
    }
}
