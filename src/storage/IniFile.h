#pragma once
// "key=value" settings files.

#include <string_view>

class Node;

// Reads a disk file into one child of the root per key: the key upper-cased and trimmed,
// the value as written; a key that comes again overwrites. '#' starts a comment line and
// an indented line ends the file. False when the file cannot be opened.
bool loadIniFile(Node& root, std::string_view path);
