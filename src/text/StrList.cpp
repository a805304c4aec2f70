#include "text/StrList.h"

void StrList::split(std::string_view text, char separator, bool trim) {
    clear();
    while (!text.empty()) {
        const size_t end = text.find(separator);
        Str piece(text.substr(0, end));
        if (trim) piece.trim();
        if (!piece.empty()) entries_.push_back(std::move(piece));
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
}
