#pragma once
// How the store tells of trouble with its files: failed writes and damaged files. A file
// whose writes fail is reported when it starts failing and logged when it is written
// again, not at every retry in between. Used under the lock of the store's owner.

#include <functional>
#include <set>
#include <string>
#include <string_view>

class WriteTrouble {
public:
    // Gets one message with its line feed.
    using Report = std::function<void(std::string_view message)>;

    void setReport(Report report) { report_ = std::move(report); }
    // To the hook, else to standard output.
    void report(std::string_view message) const;
    // The outcome of one write of `path`; `error` is errno after a failure.
    void noteWrite(const std::string& path, bool written, int error);
    bool failing(const std::string& path) const { return failing_.contains(path); }

private:
    Report report_;
    std::set<std::string, std::less<>> failing_;
};
