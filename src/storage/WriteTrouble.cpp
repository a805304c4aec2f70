#include "storage/WriteTrouble.h"

#include <cstdio>
#include <cstring>

void WriteTrouble::report(std::string_view message) const {
    if (report_) {
        report_(message);
    } else {
        std::fwrite(message.data(), 1, message.size(), stdout);
    }
}

void WriteTrouble::noteWrite(const std::string& path, bool written, int error) {
    if (written) {
        if (failing_.erase(path) > 0) std::printf("Wrote %s again\n", path.c_str());
        return;
    }
    if (!failing_.insert(path).second) return;
    report("Error writing " + path + ": " + std::strerror(error) + "\n");
}
