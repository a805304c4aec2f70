#pragma once
// The mark of a scan under way: a small file in the settings folder (scan.vmr), written
// when a scan starts and removed once its merge is on disk, so that a scan cut short (a
// kill, a power cut, a quit) runs again by itself at the next start. Used under the
// application lock.

#include <optional>
#include <string>

#include "storage/FileStore.h"

class StrList;

class ScanMark {
public:
    // The store writes the file and is flushed before the mark goes.
    explicit ScanMark(FileStore& store) : store_(store) {}

    // Names the file; until then the mark keeps nothing.
    void open(std::string filePath) { filePath_ = std::move(filePath); }
    // Records a scan of these folders: every music folder, or one folder.
    void set(const StrList& folders, bool fullScan);
    // Flushes the store, letting the lock go through `letGo` while each cluster file is
    // written, and removes the mark when everything changed before is on disk; otherwise
    // the mark stays and the next start scans again.
    void clearOnceStored(const FileStore::LetGo& letGo);
    // The scan under way when the player stopped: "" for every music folder, else its one
    // folder; nothing when none was.
    std::optional<std::string> interrupted() const;

private:
    FileStore& store_;
    std::string filePath_;
};
