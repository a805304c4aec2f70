#include "views/DiagnosticPagesHtml.h"

#include "library/LibrarySummary.h"
#include "library/Repository.h"
#include "library/RepositoryFolder.h"
#include "storage/Node.h"
#include "text/HtmlEscape.h"
#include "views/LibraryView.h"
#include "views/SongRowHtml.h"

namespace {

constexpr int kPicturesPerRow = 8;

// A node without any text (a tree's root) reads as "null = null"; a node with only a
// value keeps it.
void dumpNode(std::string& out, const Node& node) {
    const std::string_view name = node.name();
    const std::string_view value = node.value();
    const bool textless = name.empty() && value.empty();
    out += "<DIV>";
    appendHtmlEscaped(out, textless ? "null" : name);
    out += " = ";
    appendHtmlEscaped(out, textless ? "null" : value);
    if (node.firstChild()) {
        out += "<BLOCKQUOTE>";
        for (const Node& child : node.children()) dumpNode(out, child);
        out += "</BLOCKQUOTE>";
    }
    out += "</DIV>";
}

void dumpFolder(std::string& out, const RepositoryFolder& folder) {
    out += "<h2>";
    appendHtmlEscaped(out, folder.path());
    out += "</h2>";
    dumpNode(out, folder.content());
    if (folder.children().empty()) return;
    out += "<BLOCKQUOTE>";
    for (const auto& child : folder.children()) dumpFolder(out, *child);
    out += "</BLOCKQUOTE>";
}

}  // namespace

void renderCoversPage(std::string& out, const LibraryView& view) {
    out += "<html><style> img { max-width: 100px; max-height: 100px; border: 1px solid black; margin: 1px; } "
           "div { height: 125px; } </style>"
           "<body style='font-size: 10px; font-family: sans-serif; background-color: #222; color: #EEE'>\n<div>";
    const auto folders = view.folders();
    int32_t last = -1;
    int count = 0;
    for (size_t n = 0; n < folders.size(); ++n) {
        const std::optional<int32_t> art = folderArtNumber(view, *folders[n], static_cast<int32_t>(n));
        if (!art || *art == last) continue;
        last = *art;
        imageTag(out, {}, *art);
        if (++count % kPicturesPerRow == 0) out += "</div>\n<div>";
    }
    out += "</div><p>Number of images: " + std::to_string(count) + "</p></body></html>";
}

void renderLibraryDump(std::string& out, Repository& repository) {
    out += "<html><style> blockquote { margin-top: 0px; margin-bottom: 0px; } h2 { font-size: 100%; "
           "background-color: gray; } </style>"
           "<body style='white-space: pre; font-size: 10px; font-family: sans-serif'><H1>Library info</H1>";
    dumpNode(out, repository.settings());
    out += "<H1>Library</H1>";
    for (const auto& folder : repository.folders()) dumpFolder(out, *folder);
    out += "</body></html>";
}

void renderLibrarySummary(std::string& out, const LibrarySummary& summary) {
    const auto row = [&out](std::string_view label, size_t count) {
        out += "<tr><td>";
        appendHtmlEscaped(out, label);
        out += "</td><td>" + std::to_string(count) + "</td></tr>";
    };
    out += "<html><style> td { padding-right: 2em; } </style><body style='font-size: 12px; font-family: sans-serif'>"
           "<H1>Library summary</H1><table>";
    row("Songs", summary.songs);
    row("Songs without tags", summary.untagged);
    row("Songs whose tags are not read yet", summary.unread);
    row("Songs without a picture", summary.withoutPicture);
    out += "</table><H2>Songs by format</H2><table>";
    for (const auto& [format, count] : summary.formats) row(format.empty() ? "(none)" : format, count);
    out += "</table><H2>Largest folders</H2><table>";
    for (const LibrarySummary::Folder& folder : summary.largest) row(folder.path, folder.songs);
    out += "</table></body></html>";
}
