#include "library/LibraryItem.h"

#include "library/EntryNames.h"
#include "library/FileKinds.h"
#include "library/Playlist.h"
#include "library/RepositoryFolder.h"
#include "net/HttpClient.h"
#include "platform/DiskFile.h"
#include "storage/Node.h"

namespace {

Str playlistFileStream(std::string_view path) {
    const auto bytes = readDiskFile(path, kMaxPlaylistBytes);
    const std::string_view text = bytes ? std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size())
                                        : std::string_view();
    return parsePlaylist(text, path);
}

}  // namespace

Node* LibraryItem::node() const { return Node::numbered(entry); }

Str LibraryItem::entryPath() const {
    if (!folder) return node()->value();
    return Str(folder->path()).append("/").append(node()->value());
}

bool LibraryItem::isStation() const { return folder && node()->hasName(entry::kRadio); }

const char* LibraryItem::directStream() const { return isStation() ? node()->childValue(entry::kStream, nullptr) : nullptr; }

Str LibraryItem::location(bool withFolder) const {
    if (isStation()) {
        if (const char* stream = directStream()) return stream;
        return fetchPlaylistStream(node()->childValue(entry::kPlaylist, ""), FetchOptions{});
    }
    const std::string_view value = node()->value();
    if (isPlaylistFile(value)) return playlistFileStream(value);
    if (withFolder && folder && folder->onDisk()) return entryPath();
    return value;
}
