#include "net/FetchWorker.h"

#include "platform/ThreadName.h"

namespace {

// Enough that a slow radio list does not hold up a station's playlist, few enough that a
// flood of requests cannot start a flood of threads.
constexpr size_t kThreads = 3;
constexpr size_t kMaxWaiting = 64;

}  // namespace

FetchWorker::FetchWorker() {
    for (size_t i = 0; i < kThreads; ++i) threads_.emplace_back([this] { run(); });
}

void FetchWorker::stop() {
    {
        const std::lock_guard guard(mutex_);
        stopping_ = true;
        jobs_.clear();
    }
    posted_.notify_all();
    for (std::thread& thread : threads_) thread.join();
    threads_.clear();
}

bool FetchWorker::post(Job job) {
    {
        const std::lock_guard guard(mutex_);
        if (stopping_ || jobs_.size() >= kMaxWaiting) return false;
        jobs_.push_back(std::move(job));
    }
    posted_.notify_one();
    return true;
}

void FetchWorker::run() {
    nameThisThread("vm-fetch");
    FetchOptions options;
    options.callOff = &stopping_;
    for (;;) {
        Job job;
        {
            std::unique_lock lock(mutex_);
            posted_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
            if (stopping_) return;
            job = std::move(jobs_.front());
            jobs_.pop_front();
        }
        job(options);
    }
}
