#include "views/SongRowHtml.h"

#include "library/EntryNames.h"
#include "library/LibraryItem.h"
#include "library/RepositoryFolder.h"
#include "storage/Node.h"
#include "text/HtmlEscape.h"
#include "text/TextSearch.h"
#include "views/LibraryView.h"

namespace {

// Addresses come from a published list: only web addresses become links, never a
// "javascript:" or "data:" one.
bool isLinkable(const char* address) { return address && isWebAddress(address); }

void radioLinks(std::string& out, const Node& entry) {
    const char* home = entry.childValue("HOMEURL", nullptr);
    if (isLinkable(home)) {
        out += " <a target='_blank' href='";
        appendHtmlEscaped(out, home);
        out += "' class='radio_web'>[web]</a>";
    }
    const char* history = entry.childValue("HISTORY", nullptr);
    if (isLinkable(history)) {
        out += " <a target='_blank' href='";
        appendHtmlEscaped(out, history);
        out += "' class='radio_history'>[history]</a>";
    }
    const char* description = entry.childValue("DESCRIPTION", "");
    if (*description != '\0') {
        out += "<span class='radio_descr'> - ";
        appendHtmlEscaped(out, description);
        out += "</span>";
    }
}

}  // namespace

void imageTag(std::string& out, std::string_view attributes, int32_t n) {
    out += "<img ";
    if (!attributes.empty()) {
        out += attributes;
        out += ' ';
    }
    out += "src='img&id=" + std::to_string(n) + "&nr=0'>";
}

void songRow(std::string& out, const LibraryItem& item, int32_t rowId, bool inQueue, bool withArt) {
    const Node& entry = *item.node();
    const bool radio = entry.hasName(entry::kRadio);
    out += "<tr id='s" + std::to_string(rowId) + "'>";
    out += withArt ? "<td class='td_with_art'>" : "<td>";
    if (radio) out += "<img src='gfx/radio.png' class='type_icon'>";
    if (const char* artist = entry.childValue("ARTIST", nullptr)) {
        appendHtmlEscaped(out, artist);
        out += " - ";
    }
    appendHtmlEscaped(out, entry.childValue("TITLE", entry.value()));
    if (radio) radioLinks(out, entry);
    out += "</td><td>";
    out += inQueue ? "<button class='btndel'></button>" : "<button class='btnadd'></button>";
    out += "<button class='btnmenu'></button>";
    appendHtmlEscaped(out, entry.childValue("TIME", "-"));
    out += "</td><td class='r";
    appendHtmlEscaped(out, entry.childValue("RATE", "0"));
    out += "'></td></tr>\n";
}

std::optional<int32_t> folderArtNumber(const LibraryView& view, const RepositoryFolder& folder, int32_t n) {
    if (folder.hasPicture()) return n;
    const RepositoryFolder* parent = folder.parent();
    if (parent && parent->hasPicture()) return view.folderNumber(parent);
    return std::nullopt;
}
