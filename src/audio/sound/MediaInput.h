#pragma once
// An opened FFmpeg demuxer with its audio stream chosen: a local file, or a network
// stream's bytes taken from a ByteRing. Used by one thread at a time.

#include <cstdint>
#include <memory>
#include <string_view>

#include "audio/sound/FfmpegPointers.h"

class ByteRing;
class TagList;

class MediaInput {
public:
    // A local file through FFmpeg's file protocol only; a sound result code.
    static int openFile(std::string_view path, std::unique_ptr<MediaInput>& input);
    // The common text fields of a local file's container into `tags`, as copyTags gives
    // them once openFile has opened it, without reading ahead where the demuxer has read
    // every field with the header; a sound result code.
    static int readFileTags(std::string_view path, TagList& tags);
    // The bytes of `ring`, read on the calling thread; blocks until enough have arrived.
    static int openRing(std::shared_ptr<ByteRing> ring, std::unique_ptr<MediaInput>& input);

    AVFormatContext& format() const { return *format_; }
    AVStream& stream() const { return *format_->streams[streamIndex_]; }
    int streamIndex() const { return streamIndex_; }
    // 0 when the container tells no duration.
    uint32_t lengthMs() const;
    // The container's common text fields (see CommonTagNames.h).
    void copyTags(TagList& tags) const;

private:
    static int openFormat(std::string_view path, std::unique_ptr<MediaInput>& input);
    int findAudioStream();

    // Declared in this order so the demuxer closes before its I/O and the ring go.
    std::shared_ptr<ByteRing> ring_;
    CustomIoPtr io_;
    FormatContextPtr format_;
    int streamIndex_ = -1;
};
