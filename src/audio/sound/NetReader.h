#pragma once
// One stream's network reader thread: it opens an http(s) address with FFmpeg's protocol
// layer (time-outs, reconnects, certificate checks), copies the bytes into a ByteRing for
// the demuxer, and keeps the stream's icy-* headers and title in its TagList. The thread
// keeps this object alive; abort() ends it without waiting for the network.

#include <atomic>
#include <memory>
#include <string>

struct AVIOContext;
class ByteRing;
class TagList;

class NetReader {
public:
    enum class State { kConnecting, kStreaming, kEnded, kFailed };

    static std::shared_ptr<NetReader> start(std::string url, std::shared_ptr<ByteRing> ring,
                                            std::shared_ptr<TagList> tags);
    NetReader(std::string url, std::shared_ptr<ByteRing> ring, std::shared_ptr<TagList> tags);

    void abort();
    State state() const { return state_; }
    // Why the stream could not be opened ("Server returned 404 Not Found"); set once the
    // state is kFailed.
    const std::string& failure() const { return failure_; }

private:
    void run();
    void pollTitle(AVIOContext* io);

    std::string url_;
    std::shared_ptr<ByteRing> ring_;
    std::shared_ptr<TagList> tags_;
    std::string failure_;  // written before state_ turns kFailed
    std::atomic<State> state_{State::kConnecting};
    std::atomic<bool> aborted_{false};
    std::string lastPacket_;
};
