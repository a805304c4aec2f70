#pragma once
// The background reading of tags for the entries a view rebuild found without them. The
// files are opened and parsed on tag workers without the application lock; the values
// reach the entries under the lock, in the order the entries wait in (from the back of
// the repository's pendingTags), so what is stored and when a folder is saved stay as if
// the entries were read one by one.

#include <cstdint>
#include <deque>

#include "audio/TagWorkers.h"
#include "text/Str.h"

class AudioEngine;
class Repository;
class StatusBoard;
class WakeSignal;
struct LibraryItem;

class PendingTagReader {
public:
    // The engine must outlive the reader and stay open while it runs; what reading posts
    // goes to the board. `threads` workers.
    PendingTagReader(AudioEngine& engine, StatusBoard& board, unsigned threads);

    // Under the lock: stores the values that are read, in order, for at most `budgetMs`
    // (a station's, read from its own file, at its turn), then hands the entries next in
    // line to the workers. Saves an entry's folder after the last of a run of entries from
    // that folder, raises REVISION when the list runs empty, and returns how many remain.
    int storeAndPost(Repository& repository, uint32_t budgetMs);
    // Whether values wait to be stored, so storeAndPost has work at once.
    bool hasReadValues();
    // Readable when a worker has read a file since the last drain.
    const WakeSignal& done() const { return workers_.done(); }

private:
    struct Posted {
        const LibraryItem* item;
        Str entryPath;  // so that a reused item never takes another entry's values
        bool station;   // read at its turn, under the lock
    };

    // One pending entry is the next to store: false when its values are not read yet.
    bool storeNext(Repository& repository);
    bool stillInLine(const Repository& repository) const;
    void postNext(const Repository& repository);
    void dropPosted();

    AudioEngine& engine_;
    StatusBoard& board_;
    size_t window_;  // entries posted at most
    TagWorkers workers_;  // after what its jobs use
    std::deque<Posted> posted_;  // posted_[i] is pendingTags[size - 1 - i]
    std::unique_ptr<TagWorkers::Result> waiting_;  // taken from the workers, not stored yet
};
