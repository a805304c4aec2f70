#pragma once
// The threads on which outgoing HTTP requests run, so that neither the web server nor the
// main loop ever waits for a remote server. Jobs run in the order they were posted, a few
// at a time, without the application lock: a job that needs the library takes the lock
// itself, briefly, once its fetch is over.

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "net/HttpClient.h"

class FetchWorker {
public:
    // A job gets the options its fetches must use: the overall deadline, and the call-off
    // that ends them when the worker stops.
    using Job = std::function<void(const FetchOptions& options)>;

    FetchWorker();
    // Calls off the fetches under way, waits for their jobs to end and drops the jobs not
    // yet started; later posts are refused. Not from a job.
    void stop();
    ~FetchWorker() { stop(); }
    FetchWorker(const FetchWorker&) = delete;
    FetchWorker& operator=(const FetchWorker&) = delete;

    // Any thread. False, dropping the job, when too many wait already.
    bool post(Job job);

private:
    void run();

    std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<Job> jobs_;
    std::atomic<bool> stopping_{false};
    std::vector<std::thread> threads_;
};
