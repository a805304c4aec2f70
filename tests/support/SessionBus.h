#pragma once
// A private desktop session bus for one test: a real dbus-daemon on a socket of its own,
// and the command-line clients run against it.

#include <cstdio>
#include <memory>
#include <string>

#include "support/ChildProcess.h"
#include "support/TempFolder.h"

class SessionBus {
public:
    SessionBus()
        : address_("unix:path=" + folder_.path() + "bus"),
          daemon_(std::make_unique<ChildProcess>(
              "/usr/bin/dbus-daemon",
              std::vector<std::string>{"--session", "--nofork", "--nopidfile", "--print-address=1", "--address=" + address_},
              std::vector<std::string>{}, folder_.path() + "daemon")) {
        ready_ = daemon_->waitForOutput("unix:path=", std::chrono::seconds(10));
    }

    bool ready() const { return ready_; }
    const std::string& address() const { return address_; }

    // Runs a shell command with this bus as the session bus; its standard output.
    std::string run(const std::string& command) const {
        const std::string line = "DBUS_SESSION_BUS_ADDRESS='" + address_ + "' " + command + " 2>&1";
        std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(line.c_str(), "r"), pclose);
        std::string output;
        char buffer[4096];
        while (pipe && fgets(buffer, sizeof buffer, pipe.get())) output += buffer;
        return output;
    }

private:
    TempFolder folder_;
    std::string address_;
    std::unique_ptr<ChildProcess> daemon_;
    bool ready_ = false;
};
