#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <thread>
#include <vector>

#include "audio/sound/CubicReader.h"
#include "audio/sound/FrameFifo.h"
#include "audio/sound/Sound.h"
#include "audio/sound/SoundResult.h"
#include "audio/sound/SoundSystem.h"
#include "support/SongFiles.h"
#include "support/TempFolder.h"

using namespace std::chrono_literals;

TEST(SoundLayer, EndCallbackComesOnceAndOnlyFromUpdate) {
    TempFolder folder;
    setenv("VELMORANT_AUDIO", ("wav:" + (folder / "out.wav")).c_str(), 1);
    writeTone(folder / "tone.wav", 440.0, 0.2);
    SoundSystem system;
    ASSERT_EQ(system.init(1), kSoundOk);
    std::unique_ptr<Sound> sound;
    ASSERT_EQ(system.createSound(folder / "tone.wav", 0, sound), kSoundOk);
    std::optional<Channel> channel;
    ASSERT_EQ(system.playSound(*sound, false, channel), kSoundOk);
    std::vector<std::thread::id> calls;
    channel->setCallback([&](ChannelEnd end) {
        EXPECT_EQ(end, ChannelEnd::kFinished);
        calls.push_back(std::this_thread::get_id());
    });

    std::this_thread::sleep_for(300ms);  // most likely played out, but only update() tells
    EXPECT_TRUE(calls.empty());
    for (int i = 0; i < 2500 && calls.empty(); ++i) {
        system.update();
        std::this_thread::sleep_for(2ms);
    }
    for (int i = 0; i < 50; ++i) system.update();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0], std::this_thread::get_id());
    uint32_t position = 0;
    EXPECT_EQ(channel->getPosition(position), kSoundErrInvalidHandle);
    EXPECT_EQ(channel->stop(), kSoundErrInvalidHandle);
    sound.reset();
    EXPECT_EQ(system.close(), kSoundOk);
}

TEST(SoundLayer, StreamsCannotBeOpenedForTagsOnly) {
    SoundSystem system;
    std::unique_ptr<Sound> sound;
    EXPECT_EQ(system.createSound("http://127.0.0.1:9/radio", kSoundUrl | kSoundOpenOnly, sound), kSoundErrStreamOnly);
    EXPECT_EQ(system.createSound("/tmp/x.mp3", 0, sound), kSoundErrUninitialized);
    EXPECT_FALSE(sound);
}

TEST(SoundLayer, PipesAndMissingFilesAreRefusedWithoutReadingThem) {
    const TempFolder folder;
    const std::string pipe = folder / "pipe.mp3";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    setenv("VELMORANT_AUDIO", "null", 1);
    SoundSystem system;
    ASSERT_EQ(system.init(1), kSoundOk);
    std::unique_ptr<Sound> sound;
    EXPECT_EQ(system.createSound(pipe, kSoundOpenOnly, sound), kSoundErrFormat);
    EXPECT_EQ(system.createSound(pipe, 0, sound), kSoundErrFormat);
    EXPECT_EQ(system.createSound(folder / "missing.mp3", kSoundOpenOnly, sound), kSoundErrFileNotFound);
    EXPECT_FALSE(sound);
    EXPECT_EQ(system.close(), kSoundOk);
}

// Frames come in and are read in uneven pieces, the fifo running dry and wrapping round
// many times: at normal speed every frame comes out once, unchanged and in order.
TEST(SoundLayer, ReaderCopiesEveryFrameAtNormalSpeedWhateverThePieces) {
    constexpr size_t kFrames = 5000;
    std::vector<float> source(kFrames * 2);
    for (size_t i = 0; i < source.size(); ++i) source[i] = static_cast<float>(i) * 0.001f - 2.0f;
    FrameFifo fifo(64);
    CubicReader reader;
    std::vector<float> played;
    std::vector<float> block(2 * 100);
    size_t written = 0;
    for (size_t round = 0; !reader.exhausted() && round < 10000; ++round) {
        const size_t piece = std::min({(round * 7) % 53, fifo.writable(), kFrames - written});
        fifo.write(source.data() + written * 2, piece);
        written += piece;
        if (written == kFrames) fifo.finish();
        const size_t wanted = 1 + (round * 13) % 97;
        const size_t got = reader.render(fifo, block.data(), wanted, 1.0, fifo.finished(0));
        played.insert(played.end(), block.begin(), block.begin() + static_cast<ptrdiff_t>(got * 2));
    }
    EXPECT_TRUE(reader.exhausted());
    EXPECT_EQ(reader.consumed(), kFrames);
    EXPECT_EQ(played, source);
}

// Frames of a seek's new generation are found behind the stale ones; the old end does not carry over.
TEST(SoundLayer, FifoSkipsStaleGenerations) {
    FrameFifo fifo(16);
    const std::vector<float> stale = {1.0f, 1.0f, 1.0f, 1.0f};
    fifo.write(stale.data(), 2);
    fifo.finish();
    ASSERT_TRUE(fifo.catchUp(0));
    EXPECT_FALSE(fifo.catchUp(1));
    fifo.startGeneration(1);
    const std::vector<float> fresh = {0.5f, 0.6f};
    fifo.write(fresh.data(), 1);
    ASSERT_TRUE(fifo.catchUp(1));
    EXPECT_EQ(fifo.readable(), 1u);
    float frame[2];
    fifo.pop(frame);
    EXPECT_EQ(frame[0], 0.5f);
    EXPECT_FALSE(fifo.finished(1));
}
