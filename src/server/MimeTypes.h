#pragma once
// Content types of the static files the server sends.

#include <string_view>

// The type for the text after the first dot of the path's file name, ignoring case; empty
// when the name has no dot or the extension is not known. Dots in folder names do not count.
std::string_view mimeTypeFor(std::string_view path);
