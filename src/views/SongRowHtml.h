#pragma once
// The pieces every song list shares: a song row and a folder picture. They append to the
// response body and read the view and entries under the application lock.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class LibraryView;
class RepositoryFolder;
struct LibraryItem;

// "<img " [attributes " "] "src='img&id=n&nr=0'>": the picture of folders()[n]; empty
// attributes write none.
void imageTag(std::string& out, std::string_view attributes, int32_t n);

// One <tr> of a song or station; rowId is the item id, or the queue base plus the index in
// the queue list. Stored texts are escaped.
void songRow(std::string& out, const LibraryItem& item, int32_t rowId, bool inQueue, bool withArt);

// The picture number of the folder at position n: n when it has a picture of its own or
// inside a song, else its parent's position (-1 when the parent is not listed) when the
// parent has one; nullopt when neither has a picture.
std::optional<int32_t> folderArtNumber(const LibraryView& view, const RepositoryFolder& folder, int32_t n);
