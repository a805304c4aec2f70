#include "views/LibraryPageHtml.h"

#include <algorithm>

#include "library/LibraryItem.h"
#include "library/Repository.h"
#include "library/RepositoryFolder.h"
#include "platform/Clock.h"
#include "text/Format.h"
#include "text/HtmlEscape.h"
#include "views/FilterSet.h"
#include "views/LibraryView.h"
#include "views/PlayNumbers.h"
#include "views/PlayQueue.h"
#include "views/SongRowHtml.h"

namespace {

// The queue list shows everything on one page.
constexpr int64_t kQueuePageSize = 1000000;
// Page numbers beyond these (but the last) are left out of the page field.
constexpr int32_t kListedPageNumbers = 50;

void pageNumber(std::string& out, int32_t i, int32_t page) {
    out += i == page ? "<span class='currpagenum'>" : "<span class='pagenum'>";
    out += std::to_string(i + 1) + "</span> ";
}

void footer(std::string& out, LibraryView& view, int32_t writeMs, bool queueMode) {
    out += "<div id='footer'>";
    if (!queueMode) out += std::to_string(view.itemCount()) + " matches. ";
    out += "Processed in " + std::to_string(view.lastProcessTime() + writeMs) + " ms. ";
    if (!queueMode) out += "Playtime: " + formatDuration(view.totalSeconds()).str() + ". ";
    out += "</div>";
}

}  // namespace

bool folderHead(std::string& out, const LibraryView& view, int32_t n, const RepositoryFolder& folder) {
    out += "<div class='dir'><div class='dirhead' id='d" + std::to_string(n) + "'><img src='gfx/dir.png'>";
    appendHtmlEscaped(out, folder.path());
    out += " <button class='btnsync'></button> <button class='btnadd'></button></div>";
    const std::optional<int32_t> art = folderArtNumber(view, folder, n);
    if (art) {
        out += "<div><div class='artfloat'>";
        imageTag(out, "class='art'", *art);
        out += "</div></div><div class='artbox'>";
    }
    out += "<table><col width='*'><col width='85'><col width='90'>\n";
    return art.has_value();
}

void folderFoot(std::string& out, bool hasArt) {
    out += "</table>";
    if (hasArt) out += "</div>";
    out += "</div>";
}

namespace {

// The list positions of one page as one table; row ids are the queue base plus the
// position in queue mode, else the item ids. Positions outside the list are skipped.
// `List` is the queue's pointers or the view's ListedItems.
template <typename List>
void flatTable(std::string& out, const List& list, int64_t page, int64_t pageSize, bool queueMode) {
    out += "<table><col width='*'><col width='79'><col width='90'>\n";
    const int64_t size = static_cast<int64_t>(list.size());
    const int64_t first = std::clamp<int64_t>(page * pageSize, 0, size);
    const int64_t end = std::clamp<int64_t>(page * pageSize + pageSize, first, size);
    for (int64_t position = first; position < end; ++position) {
        const LibraryItem& item = *list[static_cast<size_t>(position)];
        const int32_t rowId = queueMode ? play::kQueueBase + static_cast<int32_t>(position) : item.id;
        songRow(out, item, rowId, queueMode, false);
    }
    out += "</table>";
}

}  // namespace

void folderList(std::string& out, LibraryView& view, int32_t page, int32_t pageSize, bool showEmptyFolders) {
    const auto runs = view.folderRuns();
    const auto items = view.items();
    const auto folders = view.folders();
    int32_t count = 0;
    int32_t onPage = 0;
    size_t k = 0;
    for (size_t n = 0; n < folders.size() && onPage <= page; ++n) {
        const int32_t run = n < runs.size() ? runs[n] : 0;
        if (run == 0 && !showEmptyFolders) continue;
        if (onPage == page) {
            const bool hasArt = folderHead(out, view, static_cast<int32_t>(n), *folders[n]);
            for (size_t i = k; i < k + static_cast<size_t>(run); ++i) songRow(out, *items[i], items[i]->id, false, hasArt);
            folderFoot(out, hasArt);
        }
        k += static_cast<size_t>(run);
        count += run;
        if (count > pageSize) {
            count = 0;
            ++onPage;
        }
    }
}

void pageField(std::string& out, int32_t page, int32_t pages) {
    out += "<div class='pagefield'>";
    if (page > 0) out += "<img src='gfx/page_prev.png' class='prevpage'> ";
    out += "Page <span id='currpage'>" + std::to_string(page + 1) + "</span> of " + std::to_string(pages) + " ";
    if (page < pages - 1) out += "<img src='gfx/page_next.png' class='nextpage'>";
    if (pages > 1) {
        out += "<br>";
        for (int32_t i = 0; i < std::min(pages, kListedPageNumbers); ++i) pageNumber(out, i, page);
        if (pages > kListedPageNumbers) {
            out += " ... ";
            pageNumber(out, pages - 1, page);
        }
    }
    out += "</div>";
}

void renderLibraryPage(std::string& out, LibraryView& view, const PlayQueue& queue, Repository& repository,
                       const FilterSet& filters, bool queueMode) {
    const int32_t pageSize = view.pageSize();
    const int32_t pages = view.pageCount(pageSize);
    if (!queueMode) pageField(out, view.page(), pages);
    const uint32_t t0 = millisecondClock();
    repository.userNode().findChildWithValue("DISPLAY", std::nullopt, true);
    if (queueMode) {
        flatTable(out, queue.entries(), 0, kQueuePageSize, true);
    } else if (view.itemCount() > 0) {
        if (view.flat()) {
            flatTable(out, view.items(), view.page(), pageSize, false);
        } else {
            const bool showEmptyFolders = filters.searchText().empty() && filters.activeFilter() == 0;
            folderList(out, view, view.page(), pageSize, showEmptyFolders);
        }
    }
    const uint32_t t1 = millisecondClock();
    if (!queueMode) pageField(out, view.page(), pages);
    footer(out, view, static_cast<int32_t>(t1 - t0), queueMode);
}
