#include "audio/sound/MediaInput.h"

#include <cctype>
#include <string>

#include "audio/sound/ByteRing.h"
#include "audio/sound/CommonTagNames.h"
#include "audio/sound/SoundResult.h"
#include "audio/sound/TagList.h"

extern "C" {
#include <libavutil/dict.h>
}

namespace {

constexpr int kRingReadSize = 16384;
// Streams start sooner when the demuxer looks at less before playing.
constexpr int64_t kStreamProbeBytes = 65536;
constexpr int64_t kStreamAnalyzeMicroseconds = 500000;

int readRing(void* opaque, uint8_t* buffer, int size) {
    auto* ring = static_cast<ByteRing*>(opaque);
    const size_t count = ring->read(buffer, static_cast<size_t>(size));
    if (count == 0) return ring->aborted() ? AVERROR_EXIT : AVERROR_EOF;
    return static_cast<int>(count);
}

int abortRequested(void* opaque) { return static_cast<const ByteRing*>(opaque)->aborted() ? 1 : 0; }

}  // namespace

int MediaInput::openFile(std::string_view path, std::unique_ptr<MediaInput>& input) {
    std::unique_ptr<MediaInput> opened;
    int result = openFormat(path, opened);
    if (result == kSoundOk) result = opened->findAudioStream();
    if (result == kSoundOk) input = std::move(opened);
    return result;
}

int MediaInput::readFileTags(std::string_view path, TagList& tags) {
    std::unique_ptr<MediaInput> opened;
    int result = openFormat(path, opened);
    if (result != kSoundOk) return result;
    // These read their tags with the header, and know their one audio stream from it:
    // finding the stream's details would decode frames for nothing.
    const std::string_view demuxer = opened->format_->iformat->name;
    if (demuxer == "mp3" || demuxer == "wav") {
        const int audio = av_find_best_stream(opened->format_.get(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
        if (audio < 0) return kSoundErrFormat;
    } else if ((result = opened->findAudioStream()) != kSoundOk) {
        return result;
    }
    opened->copyTags(tags);
    return kSoundOk;
}

// The demuxer opened on the file, its streams not looked into yet.
int MediaInput::openFormat(std::string_view path, std::unique_ptr<MediaInput>& input) {
    auto opened = std::make_unique<MediaInput>();
    AVDictionary* options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    AVFormatContext* format = nullptr;
    // The prefix keeps a path with a colon from naming some other protocol.
    const std::string url = "file:" + std::string(path);
    const int openResult = avformat_open_input(&format, url.c_str(), nullptr, &options);
    av_dict_free(&options);
    if (openResult < 0) return openResult == AVERROR(ENOENT) ? kSoundErrFileNotFound : kSoundErrFormat;
    opened->format_.reset(format);
    input = std::move(opened);
    return kSoundOk;
}

int MediaInput::openRing(std::shared_ptr<ByteRing> ring, std::unique_ptr<MediaInput>& input) {
    auto opened = std::make_unique<MediaInput>();
    opened->ring_ = std::move(ring);
    auto* buffer = static_cast<unsigned char*>(av_malloc(kRingReadSize));
    if (!buffer) return kSoundErrMemory;
    opened->io_.reset(avio_alloc_context(buffer, kRingReadSize, 0, opened->ring_.get(), readRing, nullptr, nullptr));
    if (!opened->io_) {
        av_free(buffer);
        return kSoundErrMemory;
    }
    AVFormatContext* format = avformat_alloc_context();
    if (!format) return kSoundErrMemory;
    format->pb = opened->io_.get();
    format->flags |= AVFMT_FLAG_CUSTOM_IO;
    format->probesize = kStreamProbeBytes;
    format->max_analyze_duration = kStreamAnalyzeMicroseconds;
    format->interrupt_callback = {abortRequested, opened->ring_.get()};
    AVDictionary* options = nullptr;
    // Stream contents never make the demuxer open anything else.
    av_dict_set(&options, "protocol_whitelist", "none", 0);
    const int openResult = avformat_open_input(&format, nullptr, nullptr, &options);
    av_dict_free(&options);
    if (openResult < 0) return kSoundErrFormat;  // the demuxer freed its context
    opened->format_.reset(format);
    const int result = opened->findAudioStream();
    if (result == kSoundOk) input = std::move(opened);
    return result;
}

int MediaInput::findAudioStream() {
    if (avformat_find_stream_info(format_.get(), nullptr) < 0) return kSoundErrFormat;
    streamIndex_ = av_find_best_stream(format_.get(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (streamIndex_ < 0) return kSoundErrFormat;
    for (unsigned i = 0; i < format_->nb_streams; ++i) {
        if (static_cast<int>(i) != streamIndex_) format_->streams[i]->discard = AVDISCARD_ALL;
    }
    return kSoundOk;
}

uint32_t MediaInput::lengthMs() const {
    if (format_->duration != AV_NOPTS_VALUE && format_->duration > 0) {
        return static_cast<uint32_t>(av_rescale(format_->duration, 1000, AV_TIME_BASE));
    }
    const AVStream& audio = stream();
    if (audio.duration != AV_NOPTS_VALUE && audio.duration > 0) {
        return static_cast<uint32_t>(av_rescale_q(audio.duration, audio.time_base, AVRational{1, 1000}));
    }
    return 0;
}

void MediaInput::copyTags(TagList& tags) const {
    const AVDictionaryEntry* entry = nullptr;
    while ((entry = av_dict_get(format_->metadata, "", entry, AV_DICT_IGNORE_SUFFIX))) {
        std::string field = entry->key;
        for (char& c : field) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        const std::string_view name = commonTagName(field);
        if (!name.empty()) setGuessedText(tags, name, entry->value);
    }
}
