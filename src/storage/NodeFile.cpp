#include "storage/NodeFile.h"

#include <algorithm>
#include <vector>

#include "storage/FileStore.h"
#include "storage/Node.h"
#include "storage/StoreHandle.h"
#include "storage/TextLine.h"
#include "text/Str.h"
#include "text/TextSearch.h"

namespace {

bool isBraced(std::string_view value) {
    return value.size() >= 4 && value.starts_with("{{") && value.ends_with("}}");
}

// Braced values are also encoded, though the format allows them raw: read back raw, they
// would lose their braces and percent escapes.
bool needsEncoding(std::string_view value) {
    return std::any_of(value.begin(), value.end(), [](char byte) { return byte == '\n' || byte == '\r'; }) ||
           isBraced(value);
}

Node* appendParsedLine(Node& parent, std::string_view text) {
    const size_t space = text.find(' ');
    const std::string_view name = text.substr(0, space);
    const std::string_view value = space == std::string_view::npos ? std::string_view() : text.substr(space + 1);
    if (!isBraced(value)) return parent.appendChild(name, value);
    return parent.appendChild(name, percentDecode(value.substr(2, value.size() - 4)));
}

void appendValue(std::string& out, std::string_view value) {
    if (!needsEncoding(value)) {
        out.append(value);
        return;
    }
    Str encoded(value);
    encoded.percentEncode();
    out.append("{{").append(encoded.view()).append("}}");
}

// A node without a name cannot be told apart from indentation, except an empty top-level
// node, which is an empty line. LF LF is one line end, so that line is written as two LFs.
void appendTree(std::string& out, const Node& node, size_t depth) {
    const std::string_view name = node.name();
    const std::string_view value = node.value();
    if (name.empty()) {
        if (depth > 0 || !value.empty()) return;
        out.append("\n\n");
    } else {
        out.append(depth, ' ').append(name).push_back(' ');
        appendValue(out, value);
        out.push_back('\n');
    }
    for (const Node& child : node.children()) appendTree(out, child, depth + 1);
}

std::unique_ptr<StoreHandle> openListFile(std::string_view path, bool external, bool write) {
    if (external) return FileStore::openExternal(path, write ? "we" : "re");
    return theFileStore ? theFileStore->storeFileOpen(path, write ? "w" : "r") : nullptr;
}

}  // namespace

bool readNodeStream(Node& root, StoreHandle& handle) {
    const std::string_view bytes = storeUnreadBytes(handle);
    // parents[d] takes the lines at depth d; a line may go at most one level below the last.
    std::vector<Node*> parents{&root};
    size_t position = 0;
    bool complete = true;
    while (const auto line = readTextLine(bytes, position)) {
        const size_t depth = leadingSpaces(line->text);
        if (depth >= parents.size()) break;
        parents.resize(depth + 1);
        Node* node = appendParsedLine(*parents[depth], line->text.substr(depth));
        if (!node) {
            complete = false;
            break;
        }
        parents.push_back(node);
        position = line->end;
    }
    storeSeek(handle, storeTell(handle) + static_cast<uint32_t>(position));
    return complete;
}

bool loadNodeFile(Node& root, std::string_view path, bool external) {
    std::unique_ptr<StoreHandle> handle = openListFile(path, external, false);
    if (!handle) return false;
    readNodeStream(root, *handle);
    storeFileClose(std::move(handle));
    return true;
}

bool saveNodeFile(const Node& root, std::string_view path, bool external) {
    std::unique_ptr<StoreHandle> handle = openListFile(path, external, true);
    if (!handle) return false;
    const std::string text = formatNodeTree(root);
    storeWrite(*handle, text.size(), text.data());
    return storeFileClose(std::move(handle));
}

std::string formatNodeTree(const Node& root) {
    std::string out;
    for (const Node& child : root.children()) appendTree(out, child, 0);
    return out;
}
