#pragma once
// An ordered list of owned texts.

#include <vector>

#include "text/Str.h"

class StrList {
public:
    void add(std::string_view text) { entries_.emplace_back(text); }
    const Str& at(size_t index) const { return entries_[index]; }
    size_t count() const { return entries_.size(); }
    void clear() { entries_.clear(); }

    // Replaces the list by the pieces of text between separators; with `trim` each piece
    // loses its surrounding blanks. Empty pieces are dropped.
    void split(std::string_view text, char separator, bool trim);

    auto begin() const { return entries_.begin(); }
    auto end() const { return entries_.end(); }

private:
    std::vector<Str> entries_;
};
