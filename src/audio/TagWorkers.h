#pragma once
// Threads that read songs' tags from their files without the application lock, as many as
// asked: a job names a file; its result is a node of its own holding the values the entry
// is to get, and the messages reading posted. Results are taken in the order of the jobs.
// Once reading waits on the disk, the workers also set the system reading the files of the
// jobs waiting, so that many are read at once. Every operation but the workers' own is for
// one thread, the one that posts.

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "library/StatusBoard.h"
#include "platform/WakeSignal.h"
#include "storage/Node.h"

class TagWorkers {
public:
    struct Result {
        Node values;           // the children the entry gets, in their order
        StatusBoard messages;  // already on standard output
    };
    // Reads one song; called on the workers, several at once.
    using Reader = std::function<void(Node& values, StatusBoard& messages, std::string_view path,
                                      std::string_view logName)>;

    TagWorkers(Reader reader, unsigned threads);
    // Waits for the files being read; the jobs not begun are dropped.
    ~TagWorkers();
    TagWorkers(const TagWorkers&) = delete;
    TagWorkers& operator=(const TagWorkers&) = delete;

    void post(std::string path, std::string logName);
    // The oldest job's result once it is read; null while it is not, or with no job posted.
    std::unique_ptr<Result> takeNext();
    // Forgets every job; those being read finish unseen.
    void dropAll();
    // Readable when, since the last drain, a run of results has come to wait at the front:
    // several of them, or every job posted.
    const WakeSignal& done() const { return done_; }

private:
    struct Job {
        std::string path;
        std::string logName;
        bool begun = false;
        bool readAhead = false;
        std::unique_ptr<Result> result;  // set once read
    };

    void run(const std::stop_token& stop);
    std::shared_ptr<Job> nextToRead(std::unique_lock<std::mutex>& guard, const std::stop_token& stop);
    std::vector<std::string> toReadAhead();
    bool worthTaking() const;

    Reader reader_;
    WakeSignal done_;
    std::mutex mutex_;
    std::condition_variable_any posted_;
    std::deque<std::shared_ptr<Job>> jobs_;  // oldest first; shared with the worker reading one
    int coldJobs_ = 0;  // jobs still to read ahead for since the disk was last needed
    std::vector<std::jthread> threads_;      // last: they stop and join first
};
