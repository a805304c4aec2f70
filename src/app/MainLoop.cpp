#include "app/MainLoop.h"

#include <chrono>
#include <ctime>
#include <mutex>
#include <string>
#include <thread>

#include "app/Application.h"
#include "app/ProcessFlags.h"
#include "audio/AudioEngine.h"
#include "audio/PendingTags.h"
#include "audio/SongPlayer.h"
#include "library/LibraryItem.h"
#include "library/RepositoryFolder.h"
#include "platform/Clock.h"
#include "platform/LocalChannel.h"
#include "storage/FileStore.h"
#include "storage/Node.h"
#include "text/Decimal.h"

namespace {

constexpr int kPassSleepMs = 10;
constexpr int kAfterFailedOpenSleepMs = 1000;
constexpr int64_t kFlushIntervalSeconds = 10;
constexpr uint32_t kTagSliceMs = 100;

}  // namespace

MainLoop::MainLoop(Application& application, FileStore& store, LocalChannel& mailbox)
    : application_(application), store_(store), mailbox_(mailbox), lastFlushTime_(std::time(nullptr)) {}

void MainLoop::run() {
    while (!quitRequested) {
        const int sleepMs = runPass();
        if (auto path = mailbox_.receive()) application_.queueHandedPath(*path);
        std::this_thread::sleep_for(std::chrono::milliseconds(sleepMs));
    }
}

int MainLoop::runPass() {
    const std::lock_guard guard(application_);
    application_.view.tickView();
    application_.currentTime = std::time(nullptr);
    application_.statusBoard.expire(application_.currentTime);
    readTagsForAWhile();
    // Play counts and tags wait for the ten-second rhythm; a user's change asks for sooner.
    const bool regularFlush = application_.currentTime >= lastFlushTime_ + kFlushIntervalSeconds;
    if (regularFlush) lastFlushTime_ = application_.currentTime;
    if (regularFlush || store_.flushDue()) store_.storeFlush();
    store_.storeUnloadIdle();
    application_.audioEngine->update();
    return handlePlaybackSignal();
}

// At most one slice of about 100 ms every 100 ms, so requests get the lock in between.
void MainLoop::readTagsForAWhile() {
    const uint32_t start = millisecondClock();
    if (start - lastSliceStart_ <= kTagSliceMs) return;
    lastSliceStart_ = start;
    int remaining = 0;
    do {
        remaining = readNextPendingTags(application_.repository, *application_.audioEngine);
    } while (remaining > 0 && millisecondClock() - start < kTagSliceMs);
    if (remaining > 0) {
        application_.statusBoard.postInfo("Scanning tags. Remaining files: " + std::to_string(remaining) + "\n");
    }
}

// A finished song is counted; either way the next one starts. A song that could not be
// opened makes the loop wait a second, so a run of bad files is skipped at that pace.
int MainLoop::handlePlaybackSignal() {
    SongPlayer& player = *application_.player;
    const PlaybackSignal signal = player.playbackSignal();
    if (signal == PlaybackSignal::kNone) return kPassSleepMs;
    if (signal == PlaybackSignal::kEnded) countPlay();
    player.clearPlaybackSignal();
    if (application_.position.step(true)) application_.playStarter.startCurrentItem();
    return signal == PlaybackSignal::kOpenFailed ? kAfterFailedOpenSleepMs : kPassSleepMs;
}

void MainLoop::countPlay() {
    const LibraryItem* item = application_.position.currentItem();
    if (!item) return;
    Node& entry = *item->node;
    const int playCount = decimalValue(entry.childValue("PLAYCOUNT", "0")) + 1;
    entry.setChild("PLAYCOUNT", std::to_string(playCount));
    entry.setChild("PLAYTIME", std::to_string(application_.currentTime));
    if (item->folder) item->folder->save();
}
