#pragma once
// The hand-edited serversettings.ini beside the executable: the web server's port, the
// other computers it admits, and the addresses of the outside services it asks.

#include <string>

#include "text/StrList.h"

struct ServerSettings {
    int port = 1200;
    StrList access;               // dotted addresses admitted besides this machine; "*" admits all
    StrList hostNames;            // HOSTNAMES: names the player is reached by besides the machine's own
    std::string radioListUrl;     // RADIO_LIST_URL: where the published radio list lives
    std::string coverSearchHost;  // COVER_SEARCH_HOST: host[:port] of the cover catalogue
    std::string audioOutput;      // AUDIO_OUTPUT: as VELMORANT_AUDIO, which wins when set

    // Applies the keys of the ini file; false (defaults kept) when it cannot be opened.
    bool load(const std::string& path);
};

// The Internet shortcut that opens the web interface; silently skipped when unwritable.
void writeBrowserShortcut(const std::string& path, int port);

// Set by the run function for the life of the running instance.
extern ServerSettings* theServerSettings;
