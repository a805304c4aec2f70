#pragma once
// Refreshing the radio list from the published list (serversettings.ini RADIO_LIST_URL),
// in two steps so that the fetch runs without the application lock.

#include <optional>
#include <string_view>

#include "text/ByteBuffer.h"

class RadioList;
class StatusBoard;
struct FetchOptions;

// Fetches the published list over HTTP/1.1; nothing when the request failed. Blocks while
// fetching; needs no lock.
std::optional<ByteBuffer> fetchRadioList(std::string_view url, const FetchOptions& options);
// Merges a fetched list in (saving and indexing). When the fetch failed or the text is no
// node tree, posts "Connection error!" on the board and leaves the list as it was. Runs
// under the application lock.
bool mergeRadioList(RadioList& list, const std::optional<ByteBuffer>& fetched, StatusBoard& board);
