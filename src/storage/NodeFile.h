#pragma once
// Node trees as list files (".vmr"): one line per node, one leading space per level, the
// name, one space, the value. The root's children are the top-level lines; the root's own
// text is never stored. Loading appends to the root's children.

#include <string>
#include <string_view>

class Node;
class StoreHandle;

// Reads the file (a disk file when `external`, else a file of theFileStore) into the
// root. False, with the root unchanged, when the file cannot be opened. A line more than
// one level deeper than the line before it ends the reading there.
bool loadNodeFile(Node& root, std::string_view path, bool external);
// The same reader on an open handle, from its position; the handle is left after the last
// line read. False only when the node pool ran out.
bool readNodeStream(Node& root, StoreHandle& handle);
// Replaces the file with the root's children. False when it cannot be opened or, for a
// disk file, when the new contents could not be put in place (the old file stays).
bool saveNodeFile(const Node& root, std::string_view path, bool external);

// The file's text for the root's children.
std::string formatNodeTree(const Node& root);
