#pragma once
// Refreshing the radio list from the published list (serversettings.ini RADIO_LIST_URL).

#include <string_view>

class RadioList;
class StatusBoard;

// Fetches the list over HTTP/1.1 and merges it in (saving and indexing). On failure posts
// "Connection error!" on the board and leaves the list as it was. Blocks while fetching;
// runs under the application lock.
bool syncRadioList(RadioList& list, std::string_view url, StatusBoard& board);
