#include "views/RadioListHtml.h"

#include "library/EntryNames.h"
#include "library/LibraryItem.h"
#include "library/LibraryItemPool.h"
#include "library/RadioList.h"
#include "storage/Node.h"
#include "text/HtmlEscape.h"
#include "views/SongRowHtml.h"

namespace {

void groupHead(std::string& out, const Node& group) {
    out += "<div class='dir'><div class='dirhead'>&nbsp;";
    appendHtmlEscaped(out, group.value());
    out += "</div><table><col width='*'><col width='79'><col width='90'>\n";
}

void groupFoot(std::string& out) { out += "</table></div>"; }

}  // namespace

void renderRadioList(std::string& out, const RadioList& radio) {
    // Tree order rather than item order: a merge appends new stations' items at the end,
    // which would open their group a second time.
    const Node* group = nullptr;
    for (const Node* node = radio.tree().firstChild(); node;) {
        const bool station = node->hasName(entry::kRadio);
        const LibraryItem* item = station ? itemOf(*node) : nullptr;
        const Node* parent = node->parent();
        if (item && parent->hasName(entry::kChannels) && parent != group) {
            if (group) groupFoot(out);
            groupHead(out, *parent);
            group = parent;
        }
        if (item && group) songRow(out, *item, item->id, false, false);
        node = node->nextInPreorder(!station);
    }
    if (group) {
        groupFoot(out);
    } else {
        out += "<br><br><p>No channels loaded.<br>Press the \"Refresh radiolist\" button to refresh the channel "
               "list.</p>";
    }
}
