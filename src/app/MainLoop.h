#pragma once
// The main thread's loop: it takes the application lock for a pass of the periodic work
// (rebuilding a dirty view, storing the tags its workers read in short batches, saving and
// unloading the store, letting the lock go while a cluster file is written, expiring
// messages, driving the audio engine and moving on when a song ends), then takes in a
// path a second instance handed over, and sleeps until there is work again: another thread
// released the lock, a tag worker read a file, a second instance or quit knocks, or a
// timer of that work is due.

#include <cstdint>
#include <optional>

#include "audio/PendingTags.h"
#include "storage/FileStore.h"

class Application;
class LocalChannel;
class WakeSignal;

class MainLoop {
public:
    // The mailbox brings the paths of second instances; one is taken per pass. The
    // application must be started: the tag workers (one per core) use its audio engine.
    MainLoop(Application& application, FileStore& store, LocalChannel& mailbox);
    // Passes until quit is requested, then makes sure quitSignal() shows it.
    void run();
    // One pass under the lock; returns how long to sleep at most after it, in
    // milliseconds, or -1 when nothing is due without being woken.
    int runPass();

private:
    void waitForWork(const WakeSignal& otherThreads, int timeoutMs) const;
    void storeReadTags();
    void flushStore();
    void handlePlaybackSignal();
    void countPlay();
    int untilNextWork();

    Application& application_;
    FileStore& store_;
    LocalChannel& mailbox_;
    FileStore::LetGo letGo_;  // of the application lock, around the store's file writes
    std::optional<int64_t> unwrittenSince_;  // seconds; the first pass that saw the store changed
    bool flushing_ = false;                  // a flush is under way, one cluster a pass
    PendingTagReader tags_;
    uint32_t lastTagReport_ = 0;
    // A run of tags stored, or clusters unloaded: the heap they leave free goes back to the
    // system after the pass, outside the lock.
    bool heapFreed_ = false;
    std::optional<uint32_t> signalsHeldUntil_;  // after a failed open, on the millisecond clock
};
