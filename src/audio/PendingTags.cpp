#include "audio/PendingTags.h"

#include "audio/AudioEngine.h"
#include "library/EntryNames.h"
#include "library/LibraryItem.h"
#include "library/Repository.h"
#include "library/RepositoryFolder.h"
#include "storage/Node.h"

namespace {

// A station's tags live in its own file; a song's location is fetched without a request.
void readTagsOf(const LibraryItem& item, AudioEngine& engine) {
    if (item.node->hasName(entry::kRadio)) {
        engine.readTags(*item.node, item.entryPath().view(), "");
        return;
    }
    const Str path = item.location(true);
    const Str logName = item.location(false);
    engine.readTags(*item.node, path.view(), logName.view());
}

}  // namespace

int readNextPendingTags(Repository& repository, AudioEngine& engine) {
    auto& pending = repository.pendingTags;
    if (pending.empty()) return 0;
    const LibraryItem& item = *pending.back();
    readTagsOf(item, engine);
    const bool lastOfItsFolder = pending.size() == 1 || pending[pending.size() - 2]->folder != item.folder;
    if (lastOfItsFolder && item.folder) item.folder->save();
    pending.pop_back();
    if (pending.empty()) repository.revision.raise();
    return static_cast<int>(pending.size());
}
