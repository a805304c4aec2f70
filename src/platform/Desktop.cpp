#include "platform/Desktop.h"

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

extern char** environ;

void showErrorMessage(std::string_view text) {
    std::fprintf(stderr, "Error: %.*s", static_cast<int>(text.size()), text.data());
    if (text.empty() || text.back() != '\n') std::fputc('\n', stderr);
    std::fflush(stderr);
}

void openWithDesktop(std::string_view target) {
    // The shell starts xdg-open in the background and exits at once, so the player
    // reaps it right away and never keeps a zombie behind.
    std::string argument(target);
    char shell[] = "/bin/sh";
    char flag[] = "-c";
    char script[] = "xdg-open \"$1\" >/dev/null 2>&1 &";
    char name[] = "sh";
    char* argv[] = {shell, flag, script, name, argument.data(), nullptr};
    pid_t child = 0;
    if (posix_spawn(&child, shell, nullptr, nullptr, argv, environ) == 0) {
        waitpid(child, nullptr, 0);
    }
}

void raiseProcessPriority() { setpriority(PRIO_PROCESS, 0, -2); }
