#pragma once
// Starts the real program as a child process for tests, with its own environment and
// its standard output and error captured to files.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

class ChildProcess {
public:
    // `environment` entries are NAME=value and replace the inherited ones.
    ChildProcess(const std::string& executable, const std::vector<std::string>& arguments,
                 const std::vector<std::string>& environment, const std::string& outputPrefix)
        : stdoutPath_(outputPrefix + ".out"), stderrPath_(outputPrefix + ".err") {
        std::vector<std::string> argv{executable};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        std::vector<std::string> env = mergedEnvironment(environment);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, stdoutPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, 2, stderrPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        std::vector<char*> args = pointers(argv);
        std::vector<char*> envp = pointers(env);
        if (posix_spawn(&pid_, executable.c_str(), &actions, nullptr, args.data(), envp.data()) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~ChildProcess() {
        if (pid_ > 0 && !exitCode_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return pid_ > 0; }
    pid_t pid() const { return pid_; }
    void signal(int number) const { kill(pid_, number); }

    // The exit code (128 + signal when killed), or nothing when it still runs after the wait.
    std::optional<int> waitForExit(std::chrono::milliseconds limit) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (!exitCode_) {
            int status = 0;
            const pid_t done = waitpid(pid_, &status, WNOHANG);
            if (done == pid_) {
                exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            } else if (std::chrono::steady_clock::now() > deadline) {
                break;
            } else {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
        }
        return exitCode_;
    }

    std::string output() const { return readFile(stdoutPath_); }
    std::string errors() const { return readFile(stderrPath_); }

    // Waits until the log holds the text; false after the limit.
    bool waitForOutput(const std::string& text, std::chrono::milliseconds limit) const {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (output().find(text) == std::string::npos) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return true;
    }

private:
    static std::string readFile(const std::string& path) {
        std::ifstream file(path, std::ios::binary);
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }
    static std::vector<std::string> mergedEnvironment(const std::vector<std::string>& overrides) {
        std::vector<std::string> env(overrides);
        for (char** entry = environ; *entry; ++entry) {
            const std::string variable(*entry);
            const std::string name = variable.substr(0, variable.find('=') + 1);
            bool replaced = false;
            for (const auto& own : overrides) replaced = replaced || own.rfind(name, 0) == 0;
            if (!replaced) env.push_back(variable);
        }
        return env;
    }
    static std::vector<char*> pointers(std::vector<std::string>& texts) {
        std::vector<char*> result;
        for (auto& text : texts) result.push_back(text.data());
        result.push_back(nullptr);
        return result;
    }

    std::string stdoutPath_;
    std::string stderrPath_;
    pid_t pid_ = -1;
    std::optional<int> exitCode_;
};
