#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "AudioFiles.h"
#include "audio/AudioEngine.h"
#include "audio/SongPlayer.h"
#include "library/StatusBoard.h"
#include "platform/FileDescriptor.h"
#include "support/TempFolder.h"
#include "text/Str.h"

using namespace std::chrono_literals;

namespace {

constexpr size_t kMetaInterval = 8192;

// A one-connection radio server on 127.0.0.1: it answers with icy headers and sends the
// stream with a title packet every kMetaInterval bytes (or, when `stall`, sends nothing),
// then holds the connection until the client leaves.
class IcyServer {
public:
    IcyServer(std::string stream, bool stall) : stream_(std::move(stream)), stall_(stall) {
        listener_ = FileDescriptor(::socket(AF_INET, SOCK_STREAM, 0));
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        ::bind(listener_.get(), reinterpret_cast<sockaddr*>(&address), size);
        ::listen(listener_.get(), 4);
        ::getsockname(listener_.get(), reinterpret_cast<sockaddr*>(&address), &size);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { serve(); });
    }
    ~IcyServer() {
        done_ = true;
        thread_.join();
    }
    std::string url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/radio"; }
    bool askedForTitles() const { return askedForTitles_; }

private:
    void serve() {
        pollfd waiting{listener_.get(), POLLIN, 0};
        while (!done_ && ::poll(&waiting, 1, 50) == 0) {
        }
        if (done_) return;
        const FileDescriptor client(::accept(listener_.get(), nullptr, nullptr));
        std::string request;
        char buffer[2048];
        while (request.find("\r\n\r\n") == std::string::npos) {
            const ssize_t count = ::recv(client.get(), buffer, sizeof buffer, 0);
            if (count <= 0) return;
            request.append(buffer, static_cast<size_t>(count));
        }
        askedForTitles_ = request.find("Icy-MetaData: 1") != std::string::npos;
        if (!stall_) send(client.get(), withTitles());
        pollfd peer{client.get(), POLLIN, 0};
        while (!done_ && ::poll(&peer, 1, 50) == 0) {
        }
    }

    std::string withTitles() const {
        std::string title = "StreamTitle='Artist - Song';";
        title.resize((title.size() + 15) / 16 * 16, '\0');
        std::string out =
            "HTTP/1.0 200 OK\r\nContent-Type: audio/mpeg\r\nicy-name: Test Radio\r\nicy-genre: Jazz\r\n"
            "icy-metaint: " + std::to_string(kMetaInterval) + "\r\n\r\n";
        for (size_t at = 0; at < stream_.size(); at += kMetaInterval) {
            out += stream_.substr(at, kMetaInterval);
            if (at + kMetaInterval <= stream_.size()) out += static_cast<char>(title.size() / 16) + title;
        }
        return out;
    }

    static void send(int socket, const std::string& bytes) {
        for (size_t sent = 0; sent < bytes.size();) {
            const ssize_t count = ::send(socket, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
            if (count <= 0) return;
            sent += static_cast<size_t>(count);
        }
    }

    std::string stream_;
    bool stall_;
    FileDescriptor listener_;
    int port_ = 0;
    std::atomic<bool> done_{false};
    std::atomic<bool> askedForTitles_{false};
    std::thread thread_;
};

struct NullEngine {
    NullEngine() {
        setenv("VELMORANT_AUDIO", "null", 1);
        started = engine->init().ok;
        player = engine->createSongPlayer();
    }
    ~NullEngine() {
        player.reset();
        engine->close();
    }
    // Pumps the engine like the main loop until `done` holds or the time is up.
    template <typename Condition>
    bool pumpUntil(Condition done, std::chrono::milliseconds limit) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            engine->update();
            std::this_thread::sleep_for(5ms);
        }
        return true;
    }

    StatusBoard board;
    std::unique_ptr<AudioEngine> engine = createAudioEngine(board);
    bool started = false;
    std::unique_ptr<SongPlayer> player;
};

}  // namespace

TEST(Stream, IcyStreamPlaysEndlesslyWithItsTitleAndStationName) {
    TempFolder folder;
    ASSERT_TRUE(runFfmpeg("-f lavfi -i sine=frequency=440:duration=8 -ar 44100 -b:a 128k " + (folder / "s.mp3")));
    IcyServer server(TempFolder::read(folder / "s.mp3"), false);
    NullEngine rig;
    ASSERT_TRUE(rig.started);
    ASSERT_TRUE(rig.player->open(server.url(), true));
    EXPECT_TRUE(rig.player->isEndless());
    EXPECT_EQ(rig.player->lengthMs(), 0xFFFFFFFFu);
    unsigned buffered = 0;
    EXPECT_TRUE(rig.pumpUntil(
        [&] {
            buffered = std::max(buffered, rig.player->bufferedPercent());
            return rig.player->positionMs() > 300;
        },
        5s));
    EXPECT_GT(buffered, 0u);
    EXPECT_LE(buffered, 100u);
    EXPECT_TRUE(server.askedForTitles());
    Str title, artist, album;
    rig.player->readStreamTitle(title, artist, album);
    EXPECT_EQ(title, "Artist - Song");
    EXPECT_EQ(artist, "");
    EXPECT_EQ(album, "Test Radio");
    EXPECT_NEAR(rig.player->frequency(), 44100.0f, 0.5f);
    rig.player->setPositionPermille(500);  // a stream cannot seek; nothing breaks
    EXPECT_EQ(rig.player->playbackSignal(), PlaybackSignal::kNone);
}

TEST(Stream, StalledOrDeadStationsNeverBlockTheCaller) {
    NullEngine rig;
    IcyServer silent("", true);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(rig.player->open(silent.url(), true));
    EXPECT_TRUE(rig.pumpUntil([] { return false; }, 300ms) == false);
    EXPECT_EQ(rig.player->positionMs(), 0u);
    EXPECT_EQ(rig.player->bufferedPercent(), 0u);
    rig.player->stop();
    rig.player->release();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);

    // Nothing listens on the port of a server that is gone: the song fails to open.
    std::string closedUrl;
    {
        IcyServer gone("", true);
        closedUrl = gone.url();
    }
    ASSERT_TRUE(rig.player->open(closedUrl, true));
    EXPECT_TRUE(rig.pumpUntil([&] { return rig.player->playbackSignal() != PlaybackSignal::kNone; }, 5s));
    EXPECT_EQ(rig.player->playbackSignal(), PlaybackSignal::kOpenFailed);
}
