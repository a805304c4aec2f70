// Preloaded into a player (LD_PRELOAD) to stand for a disk under load: while the file named
// by SLOW_SYNC_SWITCH exists, each fsync of a file in a "database" folder (the cluster
// files) first waits as many milliseconds as that file says. Everything else is the real call.

#include <dlfcn.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>

extern "C" int fsync(int fd) {
    static const auto realSync = reinterpret_cast<int (*)(int)>(dlsym(RTLD_NEXT, "fsync"));
    const char* switchPath = std::getenv("SLOW_SYNC_SWITCH");
    char path[4096];
    const std::string link = "/proc/self/fd/" + std::to_string(fd);
    const ssize_t length = readlink(link.c_str(), path, sizeof path - 1);
    if (switchPath && length > 0) {
        path[length] = '\0';
        int milliseconds = 0;
        if (std::strstr(path, "/database/") && (std::ifstream(switchPath) >> milliseconds)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
        }
    }
    return realSync(fd);
}
