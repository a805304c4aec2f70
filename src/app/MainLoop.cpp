#include "app/MainLoop.h"

#include <poll.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <mutex>
#include <string>
#include <thread>

#include "app/Application.h"
#include "app/ProcessFlags.h"
#include "audio/AudioEngine.h"
#include "audio/SongPlayer.h"
#include "library/LibraryItem.h"
#include "library/RepositoryFolder.h"
#include "platform/Clock.h"
#include "platform/LocalChannel.h"
#include "platform/Memory.h"
#include "platform/WakeSignal.h"
#include "storage/FileStore.h"
#include "storage/Node.h"
#include "text/Decimal.h"

namespace {

// No timer fires sooner than this after a pass, so a clock that lags cannot make the loop spin.
constexpr int kShortestWaitMs = 10;
constexpr uint32_t kAfterFailedOpenMs = 1000;
// A playing sound is looked at this often, and at its expected end.
constexpr uint32_t kPlayingCheckMs = 1000;
constexpr int64_t kFlushIntervalSeconds = 10;
// Storing read tags holds the lock this long at most; then requests get their turn.
constexpr uint32_t kTagBatchMs = 2;
constexpr int kBetweenTagBatchesMs = 1;  // and between the steps of a flush
constexpr uint32_t kTagReportMs = 100;

int64_t millisecondsUntilSecond(int64_t second) {
    const auto now = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::system_clock::now().time_since_epoch());
    return second * 1000 - now.count();
}

}  // namespace

MainLoop::MainLoop(Application& application, FileStore& store, LocalChannel& mailbox)
    : application_(application),
      store_(store),
      mailbox_(mailbox),
      letGo_(letGoOf(application)),
      tags_(*application.audioEngine, application.statusBoard, std::max(1u, std::thread::hardware_concurrency())) {}

void MainLoop::run() {
    const WakeSignal& otherThreads = application_.watchOtherThreads();
    while (!quitRequested) {
        const int timeoutMs = runPass();
        if (quitRequested) break;
        if (heapFreed_) {
            heapFreed_ = false;
            returnFreeMemoryToSystem();
        }
        waitForWork(otherThreads, timeoutMs);
        if (auto path = mailbox_.receive()) application_.queueHandedPath(*path);
    }
    requestQuit();
}

void MainLoop::waitForWork(const WakeSignal& otherThreads, int timeoutMs) const {
    pollfd watch[] = {{otherThreads.handle(), POLLIN, 0}, {tags_.done().handle(), POLLIN, 0},
                      {mailbox_.handle(), POLLIN, 0}, {quitSignal().handle(), POLLIN, 0}};
    poll(watch, std::size(watch), timeoutMs);
    if (watch[0].revents != 0) otherThreads.drain();
    if (watch[1].revents != 0) tags_.done().drain();
}

int MainLoop::runPass() {
    const std::lock_guard guard(application_);
    application_.view.tickView();
    application_.currentTime = std::time(nullptr);
    application_.statusBoard.expire(application_.currentTime);
    storeReadTags();
    flushStore();
    if (store_.storeUnloadIdle(letGo_) > 0) heapFreed_ = true;
    application_.audioEngine->update();
    handlePlaybackSignal();
    return untilNextWork();
}

// While tags are being stored, what remains is told at most every 100 ms.
void MainLoop::storeReadTags() {
    const auto waiting = static_cast<int>(application_.repository.pendingTags.size());
    const int remaining = tags_.storeAndPost(application_.repository, kTagBatchMs);
    const uint32_t now = millisecondClock();
    if (remaining == 0) {
        if (waiting > 0) heapFreed_ = true;
        lastTagReport_ = now;
    } else if (remaining < waiting && now - lastTagReport_ >= kTagReportMs) {
        lastTagReport_ = now;
        application_.statusBoard.postInfo("Scanning tags. Remaining files: " + std::to_string(remaining) + "\n");
    }
}

// Play counts and tags wait ten seconds from the change that found the store clean; a
// user's change asks for sooner. A clean store sets no timer. Each pass writes one
// cluster, with the lock let go while the file is written and synced.
void MainLoop::flushStore() {
    const int64_t now = application_.currentTime;
    if (flushing_) {
        if (!store_.storeFlushStep(letGo_)) return;
        flushing_ = false;
        unwrittenSince_.reset();
        if (store_.hasUnwritten()) unwrittenSince_ = now;
        return;
    }
    if (!store_.hasUnwritten()) {
        unwrittenSince_.reset();
    } else if (!unwrittenSince_) {
        unwrittenSince_ = now;
    }
    const bool regularFlush = unwrittenSince_ && now >= *unwrittenSince_ + kFlushIntervalSeconds;
    flushing_ = regularFlush || store_.flushDue();
    if (flushing_) flushStore();
}

// A finished song is counted; either way the next one starts. A song that could not be
// opened holds the next signal back for a second, so a run of bad files is skipped at that pace.
void MainLoop::handlePlaybackSignal() {
    if (signalsHeldUntil_) {
        if (static_cast<int32_t>(millisecondClock() - *signalsHeldUntil_) < 0) return;
        signalsHeldUntil_.reset();
    }
    SongPlayer& player = *application_.player;
    const PlaybackSignal signal = player.playbackSignal();
    if (signal == PlaybackSignal::kNone) return;
    if (signal == PlaybackSignal::kEnded) countPlay();
    player.clearPlaybackSignal();
    if (signal == PlaybackSignal::kOpenFailed) signalsHeldUntil_ = millisecondClock() + kAfterFailedOpenMs;
    if (application_.position.step(true)) application_.playStarter.startCurrentItem();
}

// The rest of a flush and read tags not yet stored come first; then the soonest of the timers: the store's flush
// and unloading, the oldest message's expiry, a held playback signal, a playing song's end.
int MainLoop::untilNextWork() {
    if (flushing_ || tags_.hasReadValues()) return kBetweenTagBatchesMs;
    int64_t soonest = -1;
    const auto consider = [&soonest](int64_t ms) {
        ms = std::max<int64_t>(ms, kShortestWaitMs);
        soonest = soonest < 0 ? ms : std::min(soonest, ms);
    };
    const uint32_t now = millisecondClock();
    if (const auto ms = store_.untilTimedWork()) consider(*ms);
    if (unwrittenSince_) consider(millisecondsUntilSecond(*unwrittenSince_ + kFlushIntervalSeconds));
    if (const auto expiry = application_.statusBoard.nextExpiry()) consider(millisecondsUntilSecond(*expiry));
    if (signalsHeldUntil_) consider(static_cast<int32_t>(*signalsHeldUntil_ - now));
    const SongPlayer& player = *application_.player;
    if (player.isSounding()) {
        const uint32_t length = player.lengthMs();
        const uint32_t position = player.positionMs();
        consider(player.isEndless() ? kPlayingCheckMs : std::min<int64_t>(kPlayingCheckMs, int64_t{length} - position));
    }
    return static_cast<int>(soonest);
}

void MainLoop::countPlay() {
    const LibraryItem* item = application_.position.currentItem();
    if (!item) return;
    Node& entry = *item->node();
    const int playCount = decimalValue(entry.childValue("PLAYCOUNT", "0")) + 1;
    entry.setChild("PLAYCOUNT", std::to_string(playCount));
    entry.setChild("PLAYTIME", std::to_string(application_.currentTime));
    if (item->folder) item->folder->save();
}
