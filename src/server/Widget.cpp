#include "server/Widget.h"

#include <algorithm>

#include "net/HostInfo.h"
#include "platform/DiskFile.h"
#include "server/HttpConnection.h"
#include "server/HttpServer.h"
#include "server/MimeTypes.h"
#include "text/TextSearch.h"

namespace {

constexpr std::string_view kAddressPlaceholder = "192.168.0.100";
constexpr std::string_view kPortPlaceholder = "1200";
constexpr size_t kWindow = 100;
constexpr size_t kPortReach = 200;
constexpr uint64_t kMaxArchiveBytes = 64ull << 20;

void overwrite(std::string& archive, size_t at, std::string_view text) {
    const size_t count = std::min(text.size(), archive.size() - at);
    archive.replace(at, count, text.substr(0, count));
}

}  // namespace

std::optional<WidgetPlaceholders> findWidgetPlaceholders(std::string_view archive) {
    for (size_t start = 0; start < archive.size(); start += kWindow) {
        const size_t found = findBounded(kWindow, archive.substr(start), kAddressPlaceholder);
        if (found == std::string_view::npos) continue;
        const size_t address = start + found;
        const size_t port = findBounded(kPortReach, archive.substr(address), kPortPlaceholder);
        if (port == std::string_view::npos) return std::nullopt;
        return WidgetPlaceholders{address, address + port};
    }
    return std::nullopt;
}

void patchWidget(std::string& archive, const WidgetPlaceholders& at, std::string_view address, int port) {
    overwrite(archive, at.address, std::string(address) + "\"         ");
    overwrite(archive, at.port, std::to_string(port) + "     ");
}

bool sendWidget(std::string_view localPath, HttpConnection& connection) {
    const auto bytes = readDiskFile(localPath, kMaxArchiveBytes);
    if (!bytes) return false;
    std::string archive(bytes->begin(), bytes->end());
    const std::optional<WidgetPlaceholders> at = findWidgetPlaceholders(archive);
    const HostInfo host = lookupLocalHost();
    if (!host.found() || !at) return false;
    patchWidget(archive, *at, host.addressText(), connection.server().port());
    connection.sendResponse(archive, mimeTypeFor(localPath), true);
    return true;
}
