#include "library/ScanMark.h"

#include "storage/FileStore.h"
#include "storage/Node.h"
#include "storage/NodeFile.h"
#include "text/StrList.h"

namespace {

constexpr std::string_view kFullScan = "FULL_SCAN";
constexpr std::string_view kFolder = "FOLDER";

}  // namespace

void ScanMark::set(const StrList& folders, bool fullScan) {
    if (filePath_.empty()) return;
    Node mark;
    if (fullScan) mark.appendChild(kFullScan, "1");
    for (const Str& folder : folders) mark.appendChild(kFolder, folder.view());
    const std::string text = formatNodeTree(mark);
    store_.writeDiskFile(filePath_, {reinterpret_cast<const uint8_t*>(text.data()), text.size()});
}

void ScanMark::clearOnceStored(const FileStore::LetGo& letGo) {
    if (!filePath_.empty() && store_.storeFlush(letGo)) store_.removeDiskFile(filePath_);
}

std::optional<std::string> ScanMark::interrupted() const {
    Node mark;
    if (filePath_.empty() || !loadNodeFile(mark, filePath_, true)) return std::nullopt;
    if (mark.findChild(kFullScan)) return std::string();
    const char* folder = mark.childValue(kFolder, nullptr);
    if (!folder || !*folder) return std::nullopt;
    return std::string(folder);
}
