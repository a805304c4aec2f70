#include "library/ScanWorker.h"

#include <utility>

#include "platform/ThreadName.h"

ScanWorker::~ScanWorker() {
    if (thread_.joinable()) thread_.join();
}

bool ScanWorker::start(ScanJob job, std::string singlePath) {
    if (running_.exchange(true)) return false;
    // The previous job cleared the flag as its last step, so this wait is short.
    if (thread_.joinable()) thread_.join();
    thread_ = std::thread([this, job = std::move(job), singlePath = std::move(singlePath)] {
        nameThisThread("vm-scan");
        runScanJob(job, singlePath);
        running_ = false;
    });
    return true;
}
