#pragma once
// The main thread's polling loop: every 10 ms it takes the application lock and does
// the slow periodic work (saving and unloading the store, expiring messages).

#include <cstdint>

class Application;
class FileStore;

class MainLoop {
public:
    MainLoop(Application& application, FileStore& store);
    // Passes until quit is requested.
    void run();
    // One pass under the lock; returns how long to sleep after it, in milliseconds.
    int runPass();

private:
    Application& application_;
    FileStore& store_;
    int64_t lastFlushTime_;
};
