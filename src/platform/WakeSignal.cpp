#include "platform/WakeSignal.h"

#include <sys/eventfd.h>

#include <cstdint>

WakeSignal::WakeSignal() : handle_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

void WakeSignal::notify() const {
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(handle_.get(), &one, sizeof one);
}

void WakeSignal::drain() const {
    uint64_t count = 0;
    [[maybe_unused]] const ssize_t read = ::read(handle_.get(), &count, sizeof count);
}
