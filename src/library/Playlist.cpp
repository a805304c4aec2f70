#include "library/Playlist.h"

#include "net/HttpClient.h"
#include "text/StrList.h"
#include "text/TextSearch.h"

Str parsePlaylist(std::string_view text, std::string_view name) {
    const bool pls = wildcardMatch("*.pls", name);
    if (!pls && !wildcardMatch("*.m3u", name)) return "error";
    // Locations are C strings, so nothing after a NUL can count.
    text = text.substr(0, text.find('\0'));
    StrList lines;
    lines.split(text, '\n', true);
    for (const Str& line : lines) {
        std::string_view found;
        if (pls && line.view().starts_with("File1=")) {
            found = line.view().substr(6);
        } else if (!pls && line.view().starts_with("http://")) {
            found = line.view();
        } else {
            continue;
        }
        return Str(found.substr(0, lineEnd(found)));
    }
    return "error";
}

Str fetchPlaylistStream(std::string_view playlistUrl, const FetchOptions& options) {
    if (playlistUrl.empty()) return "error";
    FetchOptions bounded = options;
    bounded.maxResponseBytes = kMaxPlaylistBytes;
    ByteBuffer body;
    if (!fetchUrl(playlistUrl, body, true, bounded)) return "error";
    return parsePlaylist(body.view(), playlistUrl);
}
