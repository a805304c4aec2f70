#pragma once
// A StatusNotifierWatcher of the test's own, as a desktop panel runs one: it takes the
// watcher's name on a bus and records the items that register with it.

#include <poll.h>
#include <sys/eventfd.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

class TrayWatcher {
public:
    explicit TrayWatcher(const std::string& address) : stop_(eventfd(0, EFD_CLOEXEC)) {
        sd_bus_new(&bus_);
        sd_bus_set_address(bus_, address.c_str());
        sd_bus_set_bus_client(bus_, 1);
        ready_ = sd_bus_start(bus_) >= 0 &&
                 sd_bus_add_object_vtable(bus_, nullptr, "/StatusNotifierWatcher", kName, kTable, this) >= 0 &&
                 sd_bus_request_name(bus_, kName, 0) >= 0;
        thread_ = std::thread([this] { run(); });
    }
    ~TrayWatcher() {
        const uint64_t one = 1;
        if (write(stop_, &one, sizeof one) > 0) thread_.join();
        else thread_.detach();
        sd_bus_flush_close_unref(bus_);
        close(stop_);
    }
    TrayWatcher(const TrayWatcher&) = delete;
    TrayWatcher& operator=(const TrayWatcher&) = delete;

    bool ready() const { return ready_; }
    std::vector<std::string> items() const {
        const std::lock_guard guard(mutex_);
        return items_;
    }

private:
    static constexpr char kName[] = "org.kde.StatusNotifierWatcher";

    static int registerItem(sd_bus_message* call, void* userdata, sd_bus_error*) {
        const char* item = nullptr;
        if (sd_bus_message_read(call, "s", &item) < 0) return -EINVAL;
        auto& watcher = *static_cast<TrayWatcher*>(userdata);
        const std::lock_guard guard(watcher.mutex_);
        watcher.items_.emplace_back(item);
        return sd_bus_reply_method_return(call, "");
    }
    static constexpr sd_bus_vtable kTable[] = {
        SD_BUS_VTABLE_START(0),
        SD_BUS_METHOD("RegisterStatusNotifierItem", "s", "", registerItem, SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_VTABLE_END};

    void run() {
        for (;;) {
            while (sd_bus_process(bus_, nullptr) > 0) {
            }
            pollfd fds[] = {{sd_bus_get_fd(bus_), static_cast<short>(sd_bus_get_events(bus_)), 0}, {stop_, POLLIN, 0}};
            if (poll(fds, 2, 100) < 0 || fds[1].revents) return;
        }
    }

    sd_bus* bus_ = nullptr;
    int stop_;
    bool ready_ = false;
    mutable std::mutex mutex_;
    std::vector<std::string> items_;
    std::thread thread_;
};
