#pragma once
// How often a process's threads have gone to sleep and been woken (or preempted), from
// /proc: voluntary and involuntary context switches together.

#include <sys/types.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

// All threads of `process` (0: this one), or only those of that name when one is given.
inline long contextSwitches(pid_t process = 0, std::string_view threadName = {}) {
    const std::filesystem::path tasks =
        "/proc/" + (process == 0 ? std::string("self") : std::to_string(process)) + "/task";
    long total = 0;
    for (const auto& task : std::filesystem::directory_iterator(tasks)) {
        if (!threadName.empty()) {
            std::string name;
            std::getline(std::ifstream(task.path() / "comm"), name);
            if (name != threadName) continue;
        }
        std::ifstream status(task.path() / "status");
        for (std::string line; std::getline(status, line);) {
            if (line.find("ctxt_switches:") != std::string::npos) total += std::stol(line.substr(line.find(':') + 1));
        }
    }
    return total;
}
