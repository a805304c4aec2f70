#pragma once
// What the library benchmarks share: the generated libraries, made once and reused, and a
// quiet log while they are scanned.

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/MakeLibrary.h"

// /tmp/velmorant-bench-lib-<files>, generated with pictures the first time; empty on failure.
inline std::string libraryFor(int files) {
    const std::string path = "/tmp/velmorant-bench-lib-" + std::to_string(files);
    if (std::filesystem::exists(path + "/.complete")) return path;
    if (!makeLibrary("--clean --images --out " + path + " --files " + std::to_string(files))) return {};
    std::ofstream(path + "/.complete");
    return path;
}

// The log goes to /dev/null while a job runs: a terminal would measure itself.
class QuietLog {
public:
    QuietLog() : saved_(dup(STDOUT_FILENO)) {
        std::fflush(stdout);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        close(null);
    }
    ~QuietLog() {
        std::fflush(stdout);
        dup2(saved_, STDOUT_FILENO);
        close(saved_);
    }
    QuietLog(const QuietLog&) = delete;
    QuietLog& operator=(const QuietLog&) = delete;

private:
    int saved_;
};
