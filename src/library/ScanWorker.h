#pragma once
// The thread that runs scan jobs, one at a time, guarded by the player's scanning flag.

#include <atomic>
#include <string>
#include <thread>

#include "library/ScanJob.h"

class ScanWorker {
public:
    // The flag is set while a job runs; it is shared with whoever reports scan progress.
    explicit ScanWorker(std::atomic<bool>& running) : running_(running) {}
    // Waits for a running job; call it without holding the application lock.
    ~ScanWorker();
    ScanWorker(const ScanWorker&) = delete;
    ScanWorker& operator=(const ScanWorker&) = delete;

    // Sets the flag and runs the job (on `singlePath`, or a full scan when it is empty) on
    // the worker thread, which clears the flag as its last step. False, starting nothing,
    // when a job runs already.
    bool start(ScanJob job, std::string singlePath);

private:
    std::atomic<bool>& running_;
    std::thread thread_;
};
