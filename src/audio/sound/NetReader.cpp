#include "audio/sound/NetReader.h"

#include <thread>

#include "audio/sound/ByteRing.h"
#include "audio/sound/FfmpegPointers.h"
#include "audio/sound/IcyMetadata.h"
#include "audio/sound/TagList.h"
#include "platform/ThreadName.h"

extern "C" {
#include <libavutil/error.h>
#include <libavutil/opt.h>
}

namespace {

constexpr int kReadSize = 4096;

int abortRequested(void* opaque) { return static_cast<const std::atomic<bool>*>(opaque)->load() ? 1 : 0; }

AVDictionary* streamOptions() {
    AVDictionary* options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "http,https,tcp,tls", 0);
    av_dict_set(&options, "user_agent", "VelmorantPlayer/1.00 Beta 1", 0);
    av_dict_set(&options, "rw_timeout", "10000000", 0);  // microseconds per network wait
    av_dict_set(&options, "reconnect", "1", 0);
    av_dict_set(&options, "reconnect_streamed", "1", 0);
    av_dict_set(&options, "reconnect_delay_max", "4", 0);
    av_dict_set(&options, "icy", "1", 0);
    av_dict_set(&options, "tls_verify", "1", 0);
    return options;
}

// An option the http protocol under the context exports; empty when there is none.
std::string protocolText(AVIOContext* io, const char* name) {
    uint8_t* value = nullptr;
    if (av_opt_get(io, name, AV_OPT_SEARCH_CHILDREN, &value) < 0 || !value) return {};
    std::string text(reinterpret_cast<const char*>(value));
    av_free(value);
    return text;
}

}  // namespace

std::shared_ptr<NetReader> NetReader::start(std::string url, std::shared_ptr<ByteRing> ring,
                                            std::shared_ptr<TagList> tags) {
    auto reader = std::make_shared<NetReader>(std::move(url), std::move(ring), std::move(tags));
    std::thread([self = reader] { self->run(); }).detach();
    return reader;
}

NetReader::NetReader(std::string url, std::shared_ptr<ByteRing> ring, std::shared_ptr<TagList> tags)
    : url_(std::move(url)), ring_(std::move(ring)), tags_(std::move(tags)) {}

void NetReader::abort() {
    aborted_ = true;
    ring_->abort();
}

void NetReader::run() {
    nameThisThread("vm-stream");
    AVIOContext* opened = nullptr;
    AVDictionary* options = streamOptions();
    const AVIOInterruptCB interrupt{abortRequested, &aborted_};
    const int result = avio_open2(&opened, url_.c_str(), AVIO_FLAG_READ, &interrupt, &options);
    av_dict_free(&options);
    if (result < 0) {
        char text[AV_ERROR_MAX_STRING_SIZE] = {};
        av_strerror(result, text, sizeof text);
        failure_ = text;
        state_ = State::kFailed;
        ring_->finish();
        return;
    }
    const OpenedIoPtr io(opened);
    addIcyHeaderTags(protocolText(io.get(), "icy_metadata_headers"), *tags_);
    state_ = State::kStreaming;
    uint8_t buffer[kReadSize];
    for (;;) {
        const int count = avio_read_partial(io.get(), buffer, kReadSize);
        if (count < 0 || aborted_) break;
        pollTitle(io.get());
        if (!ring_->write(buffer, static_cast<size_t>(count))) break;
    }
    state_ = State::kEnded;
    ring_->finish();
}

void NetReader::pollTitle(AVIOContext* io) {
    std::string packet = protocolText(io, "icy_metadata_packet");
    if (packet.empty() || packet == lastPacket_) return;
    addStreamTitleTag(packet, *tags_);
    lastPacket_ = std::move(packet);
}
