#include "server/FileValidators.h"

#include <array>
#include <cinttypes>
#include <cstdio>

#include "platform/DiskFile.h"
#include "server/RequestOrigin.h"
#include "server/ResponseFraming.h"
#include "text/TextSearch.h"

namespace {

// A list of tags, each possibly weak ("W/"), which compares the same for a GET.
bool listNames(std::string_view list, std::string_view etag) {
    while (!list.empty()) {
        const size_t comma = list.find(',');
        std::string_view tag = trimBlanks(list.substr(0, comma));
        if (tag.starts_with("W/")) tag.remove_prefix(2);
        if (tag == "*" || tag == etag) return true;
        if (comma == std::string_view::npos) break;
        list.remove_prefix(comma + 1);
    }
    return false;
}

}  // namespace

FileValidators FileValidators::of(const DiskFileStatus& status) {
    std::array<char, 48> tag{};
    std::snprintf(tag.data(), tag.size(), "\"%" PRIx64 "-%" PRIx64 "\"", status.size,
                  static_cast<uint64_t>(status.modifiedTime));
    return {tag.data(), httpDate(static_cast<std::time_t>(status.modifiedTime))};
}

bool FileValidators::matchedBy(std::string_view headerBlock) const {
    if (const auto noneMatch = headerValue(headerBlock, "If-None-Match")) return listNames(*noneMatch, etag);
    const auto modifiedSince = headerValue(headerBlock, "If-Modified-Since");
    return modifiedSince && !lastModified.empty() && *modifiedSince == lastModified;
}
