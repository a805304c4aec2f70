#include "audio/PendingTags.h"

#include <algorithm>

#include "audio/AudioEngine.h"
#include "library/EntryNames.h"
#include "library/LibraryItem.h"
#include "library/Repository.h"
#include "library/RepositoryFolder.h"
#include "platform/Clock.h"
#include "library/StatusBoard.h"
#include "storage/Node.h"

namespace {

// Enough files in flight to keep every worker busy and, with a cold cache, the disk too.
constexpr size_t kPostedPerWorker = 64;

}  // namespace

PendingTagReader::PendingTagReader(AudioEngine& engine, StatusBoard& board, unsigned threads)
    : engine_(engine),
      board_(board),
      window_(kPostedPerWorker * std::max(threads, 1u)),
      workers_([&engine](Node& values, StatusBoard& messages, std::string_view path,
                         std::string_view logName) { engine.readSongTags(values, messages, path, logName); },
               threads) {}

int PendingTagReader::storeAndPost(Repository& repository, uint32_t budgetMs) {
    if (!stillInLine(repository)) dropPosted();
    const uint32_t start = millisecondClock();
    while (!repository.pendingTags.empty() && millisecondClock() - start < budgetMs) {
        if (posted_.empty()) postNext(repository);
        if (!storeNext(repository)) break;
    }
    while (posted_.size() < std::min(window_, repository.pendingTags.size())) postNext(repository);
    return static_cast<int>(repository.pendingTags.size());
}

bool PendingTagReader::hasReadValues() {
    if (posted_.empty()) return false;
    if (posted_.front().station) return true;
    if (!waiting_) waiting_ = workers_.takeNext();
    return waiting_ != nullptr;
}

bool PendingTagReader::storeNext(Repository& repository) {
    if (!hasReadValues()) return false;
    auto& pending = repository.pendingTags;
    const LibraryItem& item = *pending.back();
    const Posted next = std::move(posted_.front());
    posted_.pop_front();
    // A retired item's memory may serve another entry by now; its path tells them apart.
    if (item.entryPath().view() != next.entryPath.view()) {
        dropPosted();
        return false;
    }
    if (next.station) {
        engine_.readTags(*item.node(), next.entryPath.view(), "");
    } else {
        const std::unique_ptr<TagWorkers::Result> read = std::move(waiting_);
        for (const Node* value = read->values.firstChild(); value; value = value->next()) {
            item.node()->setChild(value->name(), value->value());
        }
        board_.takeOver(read->messages);
    }
    const bool lastOfItsFolder = pending.size() == 1 || pending[pending.size() - 2]->folder != item.folder;
    if (lastOfItsFolder && item.folder) item.folder->save();
    pending.pop_back();
    if (pending.empty()) {
        // A first scan's line held every song; its room goes back once all are read.
        std::vector<LibraryItem*>().swap(pending);
        repository.revision.raise();
    }
    return true;
}

// The entries posted are still the last ones of the list, in its order.
bool PendingTagReader::stillInLine(const Repository& repository) const {
    const auto& pending = repository.pendingTags;
    if (posted_.size() > pending.size()) return false;
    for (size_t i = 0; i < posted_.size(); ++i) {
        if (posted_[i].item != pending[pending.size() - 1 - i]) return false;
    }
    return true;
}

void PendingTagReader::postNext(const Repository& repository) {
    const auto& pending = repository.pendingTags;
    const LibraryItem& item = *pending[pending.size() - 1 - posted_.size()];
    Posted next{&item, item.entryPath(), item.node()->hasName(entry::kRadio)};
    if (!next.station) {
        workers_.post(std::string(item.location(true).view()), std::string(item.location(false).view()));
    }
    posted_.push_back(std::move(next));
}

void PendingTagReader::dropPosted() {
    workers_.dropAll();
    posted_.clear();
    waiting_.reset();
}
