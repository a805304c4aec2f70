#pragma once
// Node trees as list files (".vmr"): one line per node, one leading space per level, the
// name, one space, the value. The root's children are the top-level lines; the root's own
// text is never stored. Loading appends to the root's children.

#include <string>
#include <string_view>

class Node;
class StoreHandle;

enum class NodeRead {
    kWhole,
    kLinesSkipped,   // lines more than one level deeper than the line before them
    kPoolExhausted,  // the reading stopped there
};

// Reads the file (a disk file when `external`, else a file of theFileStore) into the
// root. False, with the root unchanged, when the file cannot be opened. A line more than
// one level deeper than the line before it has no place in the tree and is skipped.
bool loadNodeFile(Node& root, std::string_view path, bool external);
// A disk file the program rewrites (settings, filters, queue, radio list), read as
// loadNodeFile does. When it does not read back whole, or exists but cannot be read, its
// bytes are first kept beside it (keepDamagedCopy) and "Damaged file %s, kept as %s" is
// reported through the store, so no later save loses them.
bool loadOwnNodeFile(Node& root, std::string_view path);
// The same reader on an open handle, from its position; the handle is left after the last
// line read.
NodeRead readNodeStream(Node& root, StoreHandle& handle);
// Replaces the file with the root's children. False when it cannot be opened or, for a
// disk file, when the new contents could not be put in place (the old file stays; with
// theFileStore set, the new contents are kept and written at its next flush).
bool saveNodeFile(const Node& root, std::string_view path, bool external);

// The file's text for the root's children.
std::string formatNodeTree(const Node& root);
