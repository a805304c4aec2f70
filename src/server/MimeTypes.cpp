#include "server/MimeTypes.h"

#include <array>
#include <utility>

#include "text/TextSearch.h"

namespace {

constexpr std::array<std::pair<std::string_view, std::string_view>, 18> kTypes{{
    {"htm", "text/html"},
    {"html", "text/html"},
    {"js", "text/javascript"},
    {"css", "text/css"},
    {"gif", "image/gif"},
    {"jpeg", "image/jpeg"},
    {"jpg", "image/jpeg"},
    {"png", "image/png"},
    {"bmp", "image/bmp"},
    {"svg", "image/svg+xml"},
    {"zip", "application/x-opera-widgets"},
    {"mjs", "text/javascript"},
    {"json", "application/json"},
    {"webmanifest", "application/manifest+json"},
    {"ico", "image/x-icon"},
    {"webp", "image/webp"},
    {"txt", "text/plain"},
    {"woff2", "font/woff2"},
}};

}  // namespace

std::string_view mimeTypeFor(std::string_view path) {
    // Folder names (an install path under ~/.local, a music folder "Vol. 2") must not decide.
    const size_t slash = path.find_last_of('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const size_t dot = name.find('.');
    if (dot == std::string_view::npos) return {};
    const std::string_view extension = name.substr(dot + 1);
    for (const auto& [known, type] : kTypes) {
        if (equalNoCase(extension, known)) return type;
    }
    return {};
}
