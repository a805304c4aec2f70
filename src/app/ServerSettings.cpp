#include "app/ServerSettings.h"

#include <cstdio>
#include <cstdlib>

#include "storage/Node.h"
#include "storage/IniFile.h"

ServerSettings* theServerSettings = nullptr;

namespace {

// Addresses are typed by hand, so blanks around them are not part of them.
void readTrimmed(const Node& root, const char* key, std::string& field) {
    const char* value = root.childValue(key, nullptr);
    if (!value) return;
    Str text(value);
    text.trim();
    field = text.str();
}

}  // namespace

bool ServerSettings::load(const std::string& path) {
    Node root;
    if (!loadIniFile(root, path)) return false;
    if (const char* portText = root.childValue("PORT", nullptr)) port = std::atoi(portText);
    access.split(root.childValue("ACCESS", ""), ',', true);
    hostNames.split(root.childValue("HOSTNAMES", ""), ',', true);
    readTrimmed(root, "RADIO_LIST_URL", radioListUrl);
    readTrimmed(root, "COVER_SEARCH_HOST", coverSearchHost);
    readTrimmed(root, "AUDIO_OUTPUT", audioOutput);
    return true;
}

void writeBrowserShortcut(const std::string& path, int port) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return;
    std::fprintf(file, "[InternetShortcut]\r\nURL=http://127.0.0.1:%d\r\n", port);
    std::fclose(file);
}
