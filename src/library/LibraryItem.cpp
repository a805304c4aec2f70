#include "library/LibraryItem.h"

#include "library/EntryNames.h"
#include "library/FileKinds.h"
#include "library/Playlist.h"
#include "library/RepositoryFolder.h"
#include "net/HttpClient.h"
#include "platform/DiskFile.h"
#include "storage/Node.h"

namespace {

// Playlists are a few lines; anything far bigger is not one.
constexpr size_t kMaxPlaylistBytes = size_t{1} << 20;

Str stationStream(const Node& station) {
    if (const char* stream = station.childValue(entry::kStream, nullptr)) return stream;
    const char* playlist = station.childValue(entry::kPlaylist, nullptr);
    if (!playlist) return "error";
    ByteBuffer body;
    FetchOptions options;
    options.maxResponseBytes = kMaxPlaylistBytes;
    if (!fetchUrl(playlist, body, true, options)) return "error";
    return parsePlaylist(body.view(), playlist);
}

Str playlistFileStream(std::string_view path) {
    const auto bytes = readDiskFile(path, kMaxPlaylistBytes);
    const std::string_view text = bytes ? std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size())
                                        : std::string_view();
    return parsePlaylist(text, path);
}

}  // namespace

Str LibraryItem::entryPath() const {
    if (!folder) return node->value();
    return Str::concat(folder->path(), "/").append(node->value());
}

Str LibraryItem::location(bool withFolder) const {
    if (folder && node->hasName(entry::kRadio)) return stationStream(*node);
    const std::string_view value = node->value();
    if (isPlaylistFile(value)) return playlistFileStream(value);
    if (withFolder && folder && folder->onDisk()) return entryPath();
    return value;
}
