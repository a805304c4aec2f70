#include "text/HtmlEscape.h"

namespace {

std::string_view entityFor(char c) {
    switch (c) {
    case '&': return "&amp;";
    case '<': return "&lt;";
    case '>': return "&gt;";
    case '"': return "&quot;";
    case '\'': return "&#39;";
    default: return {};
    }
}

}  // namespace

void appendHtmlEscaped(std::string& out, std::string_view text) {
    size_t plain = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const std::string_view entity = entityFor(text[i]);
        if (entity.empty()) continue;
        out.append(text.substr(plain, i - plain));
        out.append(entity);
        plain = i + 1;
    }
    out.append(text.substr(plain));
}
