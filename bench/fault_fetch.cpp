// A slow remote server against the real player: the latency of "/test" from another client,
// first with the player idle (the baseline, as long as the fetch), then while "/syncradio"
// fetches from a server that drips its body one byte a second until the fetch's deadline.
// Prints the 50th and 99th percentile, the maximum and the probes over 100 ms of each run;
// the target is a maximum under 100 ms. On a busy machine the baseline shows what the
// machine alone costs.
//
//   bench_fault_fetch [--pause-ms=N]   (N, default 10: the pause between two probes)

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <string>
#include <string_view>
#include <vector>

#include "support/PlayerInstance.h"
#include "support/TestHttpServer.h"

namespace {

using Clock = std::chrono::steady_clock;
using Milliseconds = std::chrono::duration<double, std::milli>;

constexpr auto kBaseline = std::chrono::seconds(15);
constexpr double kTargetMs = 100;

// Probes until `done` says stop; the latency of every "/test".
template <typename Done>
std::vector<double> probe(const PlayerInstance& player, std::chrono::milliseconds pause, Done done) {
    std::vector<double> latencies;
    while (!done()) {
        const auto asked = Clock::now();
        const std::string answer = player.body("/test");
        latencies.push_back(Milliseconds(Clock::now() - asked).count());
        if (answer != "ok") std::printf("unexpected answer: %s\n", answer.c_str());
        std::this_thread::sleep_for(pause);
    }
    return latencies;
}

void report(const char* what, std::vector<double> latencies) {
    if (latencies.empty()) return;
    std::sort(latencies.begin(), latencies.end());
    const auto at = [&](double share) { return latencies[static_cast<size_t>(share * (latencies.size() - 1))]; };
    const auto slow = latencies.end() - std::upper_bound(latencies.begin(), latencies.end(), kTargetMs);
    std::printf("%-34s %6zu probes  p50 %7.2f ms  p99 %7.2f ms  max %7.2f ms  over 100 ms: %td\n", what,
                latencies.size(), at(0.5), at(0.99), latencies.back(), slow);
}

}  // namespace

int main(int argc, char** argv) {
    std::chrono::milliseconds pause(10);
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (!argument.starts_with("--pause-ms=")) {
            std::fprintf(stderr, "usage: %s [--pause-ms=N]\n", argv[0]);
            return 2;
        }
        pause = std::chrono::milliseconds(std::atoi(argv[i] + 11));
    }
    TestHttpServer dripping([](TCPSocket& connection, const std::string&) {
        connection.send("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n");
        for (int i = 0; i < 30 && connection.send("x"); ++i) std::this_thread::sleep_for(std::chrono::seconds(1));
    });
    PlayerInstance player;
    player.writeServerSettings("RADIO_LIST_URL=" + dripping.url("/radio/radio.vmr") + "\n");
    auto running = player.startRunning();
    if (!running) {
        std::fprintf(stderr, "the player did not start\n");
        return 1;
    }

    const auto baselineEnd = Clock::now() + kBaseline;
    report("/test, idle", probe(player, pause, [&] { return Clock::now() >= baselineEnd; }));

    const auto started = Clock::now();
    std::future<std::string> synced = std::async(std::launch::async, [&] { return player.slowBody("/syncradio"); });
    const std::vector<double> during =
        probe(player, pause, [&] { return synced.wait_for(std::chrono::seconds(0)) == std::future_status::ready; });
    const double syncSeconds = std::chrono::duration<double>(Clock::now() - started).count();
    report("/test, /syncradio from a dripper", during);
    std::printf("/syncradio answered \"%s\" after %.1f s\n", synced.get().c_str(), syncSeconds);
    PlayerInstance::stop(*running);
    return 0;
}
