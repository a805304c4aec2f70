#pragma once
// The main thread's polling loop: every 10 ms it takes the application lock and does
// the slow periodic work (rebuilding a dirty view, reading pending tags in slices, saving
// and unloading the store, expiring messages, driving the audio engine and moving on when
// a song ends), then takes in a path a second instance handed over.

#include <cstdint>

class Application;
class FileStore;
class LocalChannel;

class MainLoop {
public:
    // The mailbox brings the paths of second instances; one is taken per pass.
    MainLoop(Application& application, FileStore& store, LocalChannel& mailbox);
    // Passes until quit is requested.
    void run();
    // One pass under the lock; returns how long to sleep after it, in milliseconds.
    int runPass();

private:
    void readTagsForAWhile();
    // Returns how long to sleep after the pass.
    int handlePlaybackSignal();
    void countPlay();

    Application& application_;
    FileStore& store_;
    LocalChannel& mailbox_;
    int64_t lastFlushTime_;
    uint32_t lastSliceStart_ = 0;
};
