#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <span>

#include "platform/FileDescriptor.h"
#include "support/PlayerInstance.h"
#include "support/SongFiles.h"

using namespace std::chrono_literals;

namespace {

const std::string kNoDevice = "No sound device could be opened";

}  // namespace

// Started before the sound server, or with its USB device unplugged, the player waits for
// the device: it serves the web interface, says why nothing sounds, and keeps ALSA's own
// lines about the missing device off its output.
TEST(SoundDevice, APlayerWithoutItsDeviceStartsAndSaysWhy) {
    PlayerInstance player;
    player.setEnvironment("VELMORANT_AUDIO=");
    player.setEnvironment("SDL_AUDIODRIVER=alsa");
    player.setEnvironment("AUDIODEV=velmorant_no_such_pcm");
    const std::string music = player.root() + "music";
    TempFolder::write(music + "/a.wav", silentWav(5000, 8000, 1));
    auto running = player.startRunning();
    ASSERT_TRUE(running);
    EXPECT_NE(running->output().find(kNoDevice), std::string::npos) << running->output();
    EXPECT_EQ(player.body("/test"), "ok");

    const std::vector<std::string> songs = player.scanSongs(music, 1);
    ASSERT_EQ(songs.size(), 1u);
    // Playing tries the device again, and the feed says it is still missing.
    std::string error;
    EXPECT_TRUE(waitUntil(
        [&] {
            player.body("/set&" + songs[0]);
            error = PlayerInstance::feedValue(player.body("/fetch"), "ERROR").value_or("");
            return error.find(kNoDevice) != std::string::npos;
        },
        10s, 100ms))
        << error;
    EXPECT_NE(player.body("/getinfo").find("waiting for a sound device: " + kNoDevice), std::string::npos);
    EXPECT_EQ(PlayerInstance::feedValue(player.body("/fetch"), "TIMEPLAYING"), "00:00");

    EXPECT_EQ(PlayerInstance::stop(*running), 0);
    EXPECT_EQ(running->errors().find("ALSA"), std::string::npos) << running->errors();
}

namespace {

// The test's end of the player's pipe: bytes that arrive while it is open.
class PipeReader {
public:
    explicit PipeReader(const std::string& path) : pipe_(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)) {}
    bool opened() const { return pipe_.valid(); }
    // What arrives within the time.
    size_t read(std::chrono::milliseconds during) const {
        size_t total = 0;
        char buffer[65536];
        const auto end = std::chrono::steady_clock::now() + during;
        while (std::chrono::steady_clock::now() < end) {
            const ssize_t got = ::read(pipe_.get(), buffer, sizeof buffer);
            if (got > 0) total += static_cast<size_t>(got);
            std::this_thread::sleep_for(5ms);
        }
        return total;
    }

private:
    FileDescriptor pipe_;
};

}  // namespace

// With no one reading the pipe the player plays to nowhere at real-time pace without
// waiting for a reader; a reader that comes (and comes again) gets the stream at 48 kHz,
// and nothing while nothing plays.
TEST(PipeOutput, PlaysOnTimeWithoutAReaderAndServesReadersThatCome) {
    PlayerInstance player;
    const std::string pipe = player.root() + "velmorant.pcm";
    player.setEnvironment("VELMORANT_AUDIO=pipe:" + pipe);
    const std::string music = player.root() + "music";
    TempFolder::write(music + "/a.wav", silentWav(2000, 8000, 1));
    TempFolder::write(music + "/b.wav", silentWav(20000, 8000, 1));
    auto running = player.startRunning();
    ASSERT_TRUE(running);
    struct stat status {};
    ASSERT_EQ(::stat(pipe.c_str(), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode));
    EXPECT_NE(player.body("/getinfo").find(", Named pipe<br>"), std::string::npos);
    const std::vector<std::string> songs = player.scanSongs(music, 2);
    ASSERT_EQ(songs.size(), 2u);

    const auto title = [&] { return PlayerInstance::feedValue(player.body("/fetch"), "TITLE").value_or(""); };
    const auto started = std::chrono::steady_clock::now();
    player.body("/set&" + songs[0]);
    ASSERT_TRUE(waitUntil([&] { return title() == "b.wav"; }, 10s, 20ms));
    const auto took = std::chrono::steady_clock::now() - started;
    EXPECT_GT(took, 1600ms);  // the song's last 300 ms wait in the pipe, ahead of the clock
    EXPECT_LT(took, 3500ms);

    for (int reader = 0; reader < 2; ++reader) {
        const PipeReader listening(pipe);
        ASSERT_TRUE(listening.opened());
        listening.read(300ms);  // the lead the player keeps, and what a first open misses
        const size_t second = listening.read(1000ms);
        EXPECT_GT(second, 48000u * 4 * 8 / 10) << "reader " << reader;
        EXPECT_LT(second, 48000u * 4 * 12 / 10) << "reader " << reader;
    }
    const PipeReader idle(pipe);
    player.body("/stop");
    idle.read(300ms);
    EXPECT_EQ(idle.read(500ms), 0u);
    EXPECT_EQ(PlayerInstance::stop(*running), 0);
}

namespace {

// What a stretch of 16-bit stereo PCM holds as a tone: where it sounds, how often its left
// channel crosses zero upwards, its level, and the longest run of near-silence inside it.
struct ToneFigures {
    double seconds = 0;
    double hertz = 0;
    double levelDb = -200;  // RMS against full scale
    size_t longestQuietRun = 0;
};

ToneFigures measureTone(const std::string& pcm, int rate) {
    std::vector<int16_t> left(pcm.size() / 4);
    for (size_t i = 0; i < left.size(); ++i) std::memcpy(&left[i], pcm.data() + i * 4, sizeof(int16_t));
    const auto loud = [](int16_t sample) { return std::abs(sample) > 1000; };
    const auto first = std::find_if(left.begin(), left.end(), loud);
    const auto last = std::find_if(left.rbegin(), left.rend(), loud);
    ToneFigures figures;
    if (first == left.end()) return figures;
    const std::span<const int16_t> tone(first, last.base());
    figures.seconds = static_cast<double>(tone.size()) / rate;
    size_t crossings = 0;
    size_t quiet = 0;
    double energy = 0;
    for (size_t i = 0; i < tone.size(); ++i) {
        if (i > 0 && tone[i - 1] < 0 && tone[i] >= 0) ++crossings;
        quiet = std::abs(tone[i]) < 300 ? quiet + 1 : 0;
        figures.longestQuietRun = std::max(figures.longestQuietRun, quiet);
        energy += static_cast<double>(tone[i]) * tone[i];
    }
    figures.hertz = static_cast<double>(crossings) / figures.seconds;
    figures.levelDb = 10 * std::log10(energy / static_cast<double>(tone.size()) / (32768.0 * 32768.0));
    return figures;
}

}  // namespace

// The rooms of a whole-home set-up: the real Snapcast server reads the player's pipe (named
// in serversettings.ini, as a service sets it) and its clients write what they would play to
// files. A 3 s tone reaches a client that listened from the start whole, at its pitch and
// level, and one that joins while it plays without a gap.
TEST(PipeOutput, ATonePlaysThroughSnapcastToEveryRoom) {
    if (std::system("command -v snapserver >/dev/null && command -v snapclient >/dev/null") != 0) {
        GTEST_SKIP() << "snapserver and snapclient are not installed";
    }
    PlayerInstance player;
    const std::string pipe = player.root() + "snapfifo";
    player.writeServerSettings("AUDIO_OUTPUT=pipe:" + pipe + "\n");
    player.setEnvironment("VELMORANT_AUDIO=");
    const std::string music = player.root() + "music";
    writeTone(music + "/tone.wav", 1000.0, 3.0, 0.5f);
    auto running = player.startRunning();
    ASSERT_TRUE(running);
    const std::vector<std::string> songs = player.scanSongs(music, 1);
    ASSERT_EQ(songs.size(), 1u);
    player.body("/setvolume&value=1000");

    const int port = PlayerInstance::freePort();
    const std::string home = "HOME=" + player.root();
    TempFolder::write(player.root() + "snapserver.conf", "");
    ChildProcess server("/usr/bin/snapserver",
                        {"-c", player.root() + "snapserver.conf", "--stream.source",
                         "pipe://" + pipe + "?name=Velmorant&sampleformat=48000:16:2", "--stream.codec", "pcm",
                         "--stream.bind_to_address", "127.0.0.1", "--stream.port", std::to_string(port),
                         "--tcp.enabled", "0", "--http.enabled", "0", "--logging.sink", "stdout"},
                        {home}, player.root() + "snapserver");
    ASSERT_TRUE(server.waitForOutput("Creating stream acceptor", 10s)) << server.output();
    const auto startClient = [&](const std::string& name) {
        return std::make_unique<ChildProcess>(
            "/usr/bin/snapclient",
            std::vector<std::string>{"-h", "127.0.0.1", "-p", std::to_string(port), "--hostID", name, "--player",
                                     "file:filename=" + player.root() + name + ".pcm", "--logsink", "stdout"},
            std::vector<std::string>{home}, player.root() + name);
    };
    auto early = startClient("early");
    ASSERT_TRUE(server.waitForOutput("Hello from early", 10s)) << server.output();

    player.body("/set&" + songs[0]);
    std::this_thread::sleep_for(1500ms);
    auto late = startClient("late");
    ASSERT_TRUE(server.waitForOutput("Hello from late", 10s)) << server.output();
    // The rest of the tone, Snapcast's buffer of a second, and a margin.
    std::this_thread::sleep_for(4000ms);
    early->signal(SIGTERM);
    late->signal(SIGTERM);
    EXPECT_TRUE(early->waitForExit(10s));
    EXPECT_TRUE(late->waitForExit(10s));

    const double expectedDb = 20 * std::log10(0.5 / std::sqrt(2.0));
    const ToneFigures whole = measureTone(TempFolder::read(player.root() + "early.pcm"), 48000);
    // A loaded machine makes Snapcast's client stretch a few blocks as it follows the server's
    // clock; a lost or repeated block of ours would still show, as a gap or in the pitch.
    EXPECT_NEAR(whole.seconds, 3.0, 0.25) << server.output() << early->output() << running->output();
    EXPECT_NEAR(whole.hertz, 1000.0, 10.0);
    EXPECT_NEAR(whole.levelDb, expectedDb, 1.0);
    EXPECT_LE(whole.longestQuietRun, 2u);
    const ToneFigures joined = measureTone(TempFolder::read(player.root() + "late.pcm"), 48000);
    EXPECT_GT(joined.seconds, 0.5);
    EXPECT_LT(joined.seconds, 2.0);
    EXPECT_NEAR(joined.hertz, 1000.0, 10.0);
    EXPECT_NEAR(joined.levelDb, expectedDb, 1.0);
    EXPECT_LE(joined.longestQuietRun, 2u);
    EXPECT_EQ(PlayerInstance::stop(*running), 0);
}
