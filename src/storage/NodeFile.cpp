#include "storage/NodeFile.h"

#include <algorithm>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/DiskFile.h"
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

void reportDamage(std::string_view path, const std::optional<std::string>& copy) {
    std::string message = "Damaged file " + std::string(path);
    message += copy ? ", kept as " + *copy + "\n" : ", and no copy of it could be kept\n";
    reportStoreTrouble(message);
}

std::span<const uint8_t> byteSpan(std::string_view text) {
    return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

}  // namespace

NodeRead readNodeStream(Node& root, StoreHandle& handle) {
    const std::string_view bytes = storeUnreadBytes(handle);
    // parents[d] takes the lines at depth d; a line may go at most one level below the last.
    std::vector<Node*> parents{&root};
    size_t position = 0;
    NodeRead result = NodeRead::kWhole;
    while (const auto line = readTextLine(bytes, position)) {
        const size_t depth = leadingSpaces(line->text);
        if (depth >= parents.size()) {
            result = NodeRead::kLinesSkipped;
            position = line->end;
            continue;
        }
        parents.resize(depth + 1);
        Node* node = appendParsedLine(*parents[depth], line->text.substr(depth));
        if (!node) {
            result = NodeRead::kPoolExhausted;
            break;
        }
        parents.push_back(node);
        position = line->end;
    }
    storeSeek(handle, storeTell(handle) + static_cast<uint32_t>(position));
    return result;
}

bool loadNodeFile(Node& root, std::string_view path, bool external) {
    std::unique_ptr<StoreHandle> handle = openListFile(path, external, false);
    if (!handle) return false;
    readNodeStream(root, *handle);
    storeFileClose(std::move(handle));
    return true;
}

bool loadOwnNodeFile(Node& root, std::string_view givenPath) {
    const std::string path = FileStore::normalisePath(givenPath);
    std::unique_ptr<StoreHandle> handle = openListFile(path, true, false);
    if (!handle) {
        // Left in place, it would be replaced by the next save.
        if (diskFileExists(path)) reportDamage(path, moveDamagedAside(path));
        return false;
    }
    const std::string_view bytes = storeUnreadBytes(*handle);
    if (readNodeStream(root, *handle) != NodeRead::kWhole) reportDamage(path, keepDamagedCopy(path, byteSpan(bytes)));
    storeFileClose(std::move(handle));
    return true;
}

bool saveNodeFile(const Node& root, std::string_view path, bool external) {
    const std::string text = formatNodeTree(root);
    if (external && theFileStore) return theFileStore->writeDiskFile(FileStore::normalisePath(path), byteSpan(text));
    std::unique_ptr<StoreHandle> handle = openListFile(path, external, true);
    if (!handle) return false;
    storeWrite(*handle, text.size(), text.data());
    return storeFileClose(std::move(handle));
}

std::string formatNodeTree(const Node& root) {
    std::string out;
    for (const Node& child : root.children()) appendTree(out, child, 0);
    return out;
}
