#pragma once
// A player of its own for process tests: a program folder with a copy of the executable,
// the web folder and seed files, private data and runtime folders so the instance under
// test meets no other, and a free loopback port.

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "net/TCPSocket.h"
#include "support/ChildProcess.h"
#include "support/Polling.h"
#include "support/TempFolder.h"

class PlayerInstance {
public:
    PlayerInstance() : port_(freePort()) {
        namespace fs = std::filesystem;
        fs::create_directories(program() + "database");
        fs::create_directories(root_.path() + "run");
        fs::copy_file(VELMORANT_EXE, program() + "velmorant");
        TempFolder::write(program() + "database/7.dat", std::string(8, '\0'));  // an empty cluster
        TempFolder::write(program() + "filters.vmr", "SEARCH Rate 5\n QUERY $rate == 5\n");
        TempFolder::write(program() + "web/index.html", "<html>index</html>");
        writeServerSettings("");
    }

    // serversettings.ini with the instance's port and these further lines.
    void writeServerSettings(const std::string& moreLines) const {
        TempFolder::write(program() + "serversettings.ini", "PORT=" + std::to_string(port_) + "\n" + moreLines);
    }

    const std::string& root() const { return root_.path(); }
    std::string program() const { return root_.path() + "program/"; }
    std::string userSettings() const { return root_.path() + "data/Velmorant/"; }
    std::string socketPath() const { return root_.path() + "run/VelmorantPlayer.sock"; }
    int port() const { return port_; }

    // The session bus later starts reach; none (not the developer's own) unless set.
    void setSessionBus(const std::string& address) { sessionBus_ = address; }
    // A NAME=value entry for later starts, in place of the default of that name
    // (VELMORANT_AUDIO=null).
    void setEnvironment(const std::string& entry) { environment_.push_back(entry); }

    std::unique_ptr<ChildProcess> start(const std::vector<std::string>& arguments) {
        const std::string name = root_.path() + "run" + std::to_string(++runs_);
        std::vector<std::string> environment{"HOME=" + root_.path(), "XDG_DATA_HOME=" + root_.path() + "data",
                                             "XDG_RUNTIME_DIR=" + root_.path() + "run",
                                             "DBUS_SESSION_BUS_ADDRESS=" + sessionBus_};
        const bool audioSet = std::any_of(environment_.begin(), environment_.end(),
                                          [](const std::string& entry) { return entry.starts_with("VELMORANT_AUDIO="); });
        if (!audioSet) environment.emplace_back("VELMORANT_AUDIO=null");
        environment.insert(environment.end(), environment_.begin(), environment_.end());
        return std::make_unique<ChildProcess>(program() + "velmorant", arguments, environment, name);
    }

    // Later starts find, first on their PATH, an xdg-open of the test's own that notes every
    // address it is given; returns that PATH entry for other processes.
    std::string fakeDesktopOpener() {
        const std::string bin = root_.path() + "bin";
        TempFolder::write(bin + "/xdg-open", "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" + root_.path() + "opened'\n");
        std::filesystem::permissions(bin + "/xdg-open", std::filesystem::perms::owner_all);
        environment_.push_back("PATH=" + bin + ":" + std::getenv("PATH"));
        return environment_.back();
    }
    // The addresses the fake xdg-open was given, a line each; empty when none came in five seconds.
    std::string opened() const {
        const std::string path = root_.path() + "opened";
        if (!waitUntil([&] { return std::filesystem::exists(path); }, std::chrono::seconds(5))) return {};
        std::this_thread::sleep_for(std::chrono::milliseconds(200));  // the rest of a line
        return TempFolder::read(path);
    }

    // The running instance listens for second instances once its main loop is up.
    bool waitUntilRunning() const {
        using namespace std::chrono_literals;
        for (int i = 0; i < 1000 && !std::filesystem::exists(socketPath()); ++i) std::this_thread::sleep_for(10ms);
        return std::filesystem::exists(socketPath());
    }

    // Starts the player and waits until its web server listens; null when it does not come up.
    std::unique_ptr<ChildProcess> startRunning(const std::vector<std::string>& arguments = {}) {
        auto running = start(arguments);
        if (!waitUntilRunning() || !running->waitForOutput("Server started.", std::chrono::seconds(10))) return nullptr;
        return running;
    }
    // The orderly stop a signal asks for: the exit code, or nothing when it still runs after ten seconds.
    static std::optional<int> stop(ChildProcess& running) {
        running.signal(SIGTERM);
        return running.waitForExit(std::chrono::seconds(10));
    }

    // Sends the request bytes as they are and returns everything the player answers within
    // the time-out per receive.
    std::string send(const std::string& requestBytes, int timeoutMs = 10000) const {
        TCPSocket socket(port_);
        if (!socket.connect("127.0.0.1")) return {};
        socket.setReceiveTimeout(timeoutMs);
        socket.send(requestBytes);
        ByteBuffer answer;
        while (socket.receive(answer) > 0) {
        }
        return std::string(answer.view());
    }
    std::string get(const std::string& path, int timeoutMs = 10000) const {
        return send("GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n", timeoutMs);
    }
    static std::string bodyOf(const std::string& answer) {
        const size_t end = answer.find("\r\n\r\n");
        return end == std::string::npos ? std::string() : answer.substr(end + 4);
    }
    std::string body(const std::string& path) const { return bodyOf(get(path)); }
    // For an answer that waits for an outgoing request.
    std::string slowBody(const std::string& path) const {
        return bodyOf(get(path, 30000));
    }

    // Makes the folder the one music folder, scans it and waits until the list shows `songs`
    // rows: their ids ("s12") in list order, fewer when they did not all come.
    std::vector<std::string> scanSongs(const std::string& folder, size_t songs) const {
        body("/setuserpref&name=REPOSITORY_PATHS&value=" + folder);
        body("/scan");
        std::vector<std::string> ids;
        waitUntil([&] { return (ids = rowIds(body("/list"))).size() >= songs; }, std::chrono::seconds(20),
                  std::chrono::milliseconds(50));
        return ids;
    }
    // The ids ("s12") of the song rows of an HTML list, in order.
    static std::vector<std::string> rowIds(const std::string& html) {
        static const std::regex row("<tr id='(s[0-9]+)'>");
        std::vector<std::string> ids;
        for (std::sregex_iterator match(html.begin(), html.end(), row), end; match != end; ++match) {
            ids.push_back((*match)[1]);
        }
        return ids;
    }

    // The value of the first status-feed line with the key; nothing when there is none.
    static std::optional<std::string> feedValue(const std::string& feed, const std::string& key) {
        const std::string head = "\n" + key + " ";
        const size_t at = ("\n" + feed).find(head);
        if (at == std::string::npos) return std::nullopt;
        const size_t start = at + head.size() - 1;
        return feed.substr(start, feed.find('\n', start) - start);
    }

    // A loopback port nothing listens on now.
    static int freePort() {
        TCPSocket probe(0);
        probe.bind();
        return probe.localPort();
    }

private:

    TempFolder root_;
    int port_;
    int runs_ = 0;
    std::string sessionBus_;
    std::vector<std::string> environment_;
};
