#pragma once
// This machine's names and addresses, read once when made and again every minute on a
// thread of its own, so that no request waits for the resolver. Any thread may ask.

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string_view>
#include <thread>

struct MachineNames;

class MachineIdentity {
public:
    // Reads the names before it returns (blocking while the resolver works).
    MachineIdentity();
    // Stops the refreshing thread, waiting at most for a look-up under way.
    ~MachineIdentity();
    MachineIdentity(const MachineIdentity&) = delete;
    MachineIdentity& operator=(const MachineIdentity&) = delete;

    bool isOwnAddress(std::string_view address) const;
    bool isOwnName(std::string_view name) const;

private:
    std::shared_ptr<const MachineNames> current() const;
    void refreshEveryMinute(std::stop_token stop);

    mutable std::mutex mutex_;
    std::condition_variable_any wake_;  // only a stop request wakes it early
    std::shared_ptr<const MachineNames> names_;
    std::jthread refresher_;
};
