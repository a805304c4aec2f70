#include "desktop/DesktopBus.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <systemd/sd-bus.h>
#include <time.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <optional>

#include "desktop/BusPointers.h"
#include "desktop/MprisService.h"
#include "desktop/TrayItem.h"
#include "desktop/TrayMenu.h"
#include "desktop/WatcherLink.h"
#include "platform/ThreadName.h"
#include "platform/WakeSignal.h"

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

// Milliseconds until the earlier of the next reading and what the bus waits for; -1 when
// neither is due.
int pollTimeoutMs(sd_bus* bus, std::optional<uint64_t> nextReadUs) {
    uint64_t until = nextReadUs.value_or(UINT64_MAX);
    uint64_t busUntil = 0;
    if (sd_bus_get_timeout(bus, &busUntil) >= 0) until = std::min(until, busUntil);
    if (until == UINT64_MAX) return -1;
    const uint64_t now = monotonicUs();
    return until <= now ? 0 : static_cast<int>(std::min<uint64_t>((until - now + 999) / 1000, INT32_MAX));
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

    // Read every second while a song plays (its position moves); otherwise only once the
    // state may have changed, and then at most a second after the last reading.
    const WakeSignal& changes = hooks_.watchChanges();
    std::optional<uint64_t> nextReadUs = 0;
    uint64_t lastReadUs = 0;
    for (;;) {
        while ((r = sd_bus_process(bus.get(), nullptr)) > 0) {
        }
        if (r < 0) return reportOff("lost", r);
        if (nextReadUs && monotonicUs() >= *nextReadUs) {
            changes.drain();
            const NowPlaying now = hooks_.readState();
            mpris.update(bus.get(), now);
            tray.update(bus.get(), now);
            lastReadUs = monotonicUs();
            nextReadUs.reset();
            if (now.status == PlayStatus::kPlaying) nextReadUs = lastReadUs + kReadEveryUs;
            continue;
        }
        // While a reading is due anyway, changes wait for it rather than wake the thread.
        pollfd fds[] = {{sd_bus_get_fd(bus.get()), static_cast<short>(sd_bus_get_events(bus.get())), 0},
                        {stop_.get(), POLLIN, 0},
                        {changes.handle(), static_cast<short>(nextReadUs ? 0 : POLLIN), 0}};
        if (poll(fds, std::size(fds), pollTimeoutMs(bus.get(), nextReadUs)) < 0 && errno != EINTR) return;
        if (fds[1].revents) return;
        if (fds[2].revents) nextReadUs = std::max(monotonicUs(), lastReadUs + kReadEveryUs);
    }
}
