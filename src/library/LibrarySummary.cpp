#include "library/LibrarySummary.h"

#include <algorithm>
#include <cctype>

#include "library/EntryNames.h"
#include "library/Repository.h"
#include "library/RepositoryFolder.h"
#include "library/SongDigest.h"
#include "storage/Node.h"

namespace {

std::string extensionOf(std::string_view name) {
    const size_t dot = name.rfind('.');
    std::string extension(dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1));
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension;
}

bool showsPicture(const RepositoryFolder& folder) {
    return folder.hasPicture() || (folder.parent() && folder.parent()->hasPicture());
}

void addFolder(LibrarySummary& summary, const RepositoryFolder& folder) {
    const bool picture = showsPicture(folder);
    size_t songs = 0;
    for (const Node& entry : folder.content().children()) {
        if (!entry.hasName(entry::kAudio)) continue;
        ++songs;
        ++summary.formats[extensionOf(entry.value())];
        if (!entry.findChild("TIME")) {
            ++summary.unread;
        } else if (!namedByTags(entry)) {
            ++summary.untagged;
        }
        if (!picture) ++summary.withoutPicture;
    }
    summary.songs += songs;
    if (songs > 0) summary.largest.push_back({std::string(folder.path()), songs});
    for (const auto& child : folder.children()) addFolder(summary, *child);
}

}  // namespace

LibrarySummary summariseLibrary(const Repository& repository) {
    LibrarySummary summary;
    for (const auto& folder : repository.folders()) addFolder(summary, *folder);
    auto& largest = summary.largest;
    const size_t kept = std::min(largest.size(), LibrarySummary::kLargestFolders);
    const auto moreSongs = [](const auto& a, const auto& b) {
        return a.songs != b.songs ? a.songs > b.songs : a.path < b.path;
    };
    std::partial_sort(largest.begin(), largest.begin() + static_cast<std::ptrdiff_t>(kept), largest.end(), moreSongs);
    largest.resize(kept);
    return summary;
}
