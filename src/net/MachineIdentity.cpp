#include "net/MachineIdentity.h"

#include <chrono>

#include "net/MachineNames.h"

namespace {

constexpr std::chrono::minutes kRefreshInterval{1};

}  // namespace

MachineIdentity::MachineIdentity()
    : names_(std::make_shared<const MachineNames>(readMachineNames())),
      refresher_([this](std::stop_token stop) { refreshEveryMinute(stop); }) {}

MachineIdentity::~MachineIdentity() = default;

bool MachineIdentity::isOwnAddress(std::string_view address) const { return current()->hasAddress(address); }

bool MachineIdentity::isOwnName(std::string_view name) const { return current()->hasName(name); }

std::shared_ptr<const MachineNames> MachineIdentity::current() const {
    const std::lock_guard guard(mutex_);
    return names_;
}

// The look-up runs without the mutex: a slow resolver must not hold up the readers.
void MachineIdentity::refreshEveryMinute(std::stop_token stop) {
    for (;;) {
        {
            std::unique_lock guard(mutex_);
            wake_.wait_for(guard, stop, kRefreshInterval, [] { return false; });
            if (stop.stop_requested()) return;
        }
        auto fresh = std::make_shared<const MachineNames>(readMachineNames());
        const std::lock_guard guard(mutex_);
        names_ = std::move(fresh);
    }
}
