#include "audio/TagWorkers.h"

#include <algorithm>
#include <utility>

#include "platform/ReadAhead.h"

namespace {

// The poster is woken for this many results at once: one wake-up a file cost the main
// loop a pass of its own for each.
constexpr size_t kResultsPerWake = 16;
// Read ahead for this many jobs after the disk was last needed, by a file or by reading
// ahead: a cold cache needs it at nearly every job, a stray uncached file soon stops it.
constexpr int kColdJobs = 32;
// A tag at a file's end lies within its last bytes; songs whose tags name nothing are
// digested by as many.
constexpr uint64_t kEndBytes = 64 * 1024;

}  // namespace

TagWorkers::TagWorkers(Reader reader, unsigned threads) : reader_(std::move(reader)) {
    for (unsigned i = 0; i < std::max(threads, 1u); ++i) {
        threads_.emplace_back([this](const std::stop_token& stop) { run(stop); });
    }
}

TagWorkers::~TagWorkers() {
    for (std::jthread& thread : threads_) thread.request_stop();
    threads_.clear();
}

void TagWorkers::post(std::string path, std::string logName) {
    auto job = std::make_shared<Job>();
    job->path = std::move(path);
    job->logName = std::move(logName);
    {
        const std::lock_guard guard(mutex_);
        jobs_.push_back(std::move(job));
    }
    posted_.notify_one();
}

std::unique_ptr<TagWorkers::Result> TagWorkers::takeNext() {
    const std::lock_guard guard(mutex_);
    if (jobs_.empty() || !jobs_.front()->result) return nullptr;
    std::unique_ptr<Result> result = std::move(jobs_.front()->result);
    jobs_.pop_front();
    return result;
}

void TagWorkers::dropAll() {
    const std::lock_guard guard(mutex_);
    jobs_.clear();
}

void TagWorkers::run(const std::stop_token& stop) {
    uint64_t diskReads = threadDiskReads();
    for (;;) {
        std::shared_ptr<Job> job;
        std::vector<std::string> ahead;
        {
            std::unique_lock guard(mutex_);
            job = nextToRead(guard, stop);
            if (!job) return;
            if (coldJobs_ > 0) ahead = toReadAhead();
        }
        bool cold = false;
        for (const std::string& path : ahead) cold = readAhead(path, kEndBytes) || cold;
        auto result = std::make_unique<Result>();
        reader_(result->values, result->messages, job->path, job->logName);
        const uint64_t readsNow = threadDiskReads();
        cold = readsNow != std::exchange(diskReads, readsNow) || cold;
        bool wake = false;
        {
            const std::lock_guard guard(mutex_);
            job->result = std::move(result);
            coldJobs_ = cold ? kColdJobs : std::max(coldJobs_ - 1, 0);
            wake = worthTaking();
        }
        if (wake) done_.notify();
    }
}

// The files of the jobs not begun that no worker has read ahead yet.
std::vector<std::string> TagWorkers::toReadAhead() {
    std::vector<std::string> paths;
    for (const auto& job : jobs_) {
        if (job->begun || job->readAhead) continue;
        job->readAhead = true;
        paths.push_back(job->path);
    }
    return paths;
}

// Enough results wait at the front, or every job is read, so the last ones never wait.
bool TagWorkers::worthTaking() const {
    size_t read = 0;
    while (read < jobs_.size() && read < kResultsPerWake && jobs_[read]->result) ++read;
    return read == kResultsPerWake || read == jobs_.size();
}

// The oldest job no worker has begun; null once stopping.
std::shared_ptr<TagWorkers::Job> TagWorkers::nextToRead(std::unique_lock<std::mutex>& guard,
                                                         const std::stop_token& stop) {
    std::shared_ptr<Job> found;
    posted_.wait(guard, stop, [&] {
        for (const auto& job : jobs_) {
            if (!job->begun) {
                found = job;
                return true;
            }
        }
        return false;
    });
    if (!found || stop.stop_requested()) return nullptr;
    found->begun = true;
    return found;
}
