// Any text as a search over a small library: compiling and evaluating it ends, however
// malformed or deeply nested it is.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "library/StatusBoard.h"
#include "storage/Node.h"
#include "views/FilterSet.h"

namespace {

struct Library {
    Library() {
        Node* song = entries.appendChild("AUDIO", "01 Rock_Song.mp3");
        song->appendChild("GENRE", "Hard rock");
        song->appendChild("RATE", "4");
        song->appendChild("YEAR", "1987");
        song->appendChild("ADDED", "1699900000");
        song->appendChild("TITLE", "Rock Song");
        song->appendChild("ARTIST", "The Band");
        Node* untagged = entries.appendChild("AUDIO", "untagged.ogg");
        untagged->appendChild("TIME", "3:12");
        entries.appendChild("RADIO", "Jazz FM")->appendChild("PLAYLIST", "http://127.0.0.1/jazz.pls");
    }
    Node entries;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const Library library;
    StatusBoard board;
    FilterSet filters(board, [] { return int64_t{1700000000}; });
    filters.setSearch(std::string_view(reinterpret_cast<const char*>(data), size));
    for (const Node& entry : library.entries.children()) filters.matches(entry, "/music/Mixed");
    return 0;
}
