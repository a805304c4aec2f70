#include "storage/IniFile.h"

#include "storage/FileStore.h"
#include "storage/Node.h"
#include "storage/StoreHandle.h"
#include "storage/TextLine.h"
#include "text/Str.h"

namespace {

void applySetting(Node& root, std::string_view line) {
    if (line.starts_with('#')) return;
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos || equals == 0) return;
    Str key(line.substr(0, equals));
    key.toUpper();
    key.trim();
    root.setChild(key.view(), line.substr(equals + 1));
}

}  // namespace

bool loadIniFile(Node& root, std::string_view path) {
    std::unique_ptr<StoreHandle> handle = FileStore::openExternal(path, "re");
    if (!handle) return false;
    const std::string_view bytes = storeUnreadBytes(*handle);
    size_t position = 0;
    while (const auto line = readTextLine(bytes, position)) {
        if (line->text.starts_with(' ')) break;
        applySetting(root, line->text);
        position = line->end;
    }
    return true;
}
