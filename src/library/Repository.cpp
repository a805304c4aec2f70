#include "library/Repository.h"

#include <algorithm>
#include <cstdio>

#include "text/Decimal.h"
#include "library/EntryNames.h"
#include "library/LibraryItem.h"
#include "library/LibraryItemPool.h"
#include "library/SettingDefaults.h"
#include "storage/NodeFile.h"

namespace {

constexpr std::string_view kUser = "USER";
constexpr std::string_view kPageMaxMatches = "PAGE_MAX_MATCHES";
constexpr std::string_view kRepositoryPaths = "REPOSITORY_PATHS";

}  // namespace

Repository::Repository() = default;

Repository::~Repository() = default;

void Repository::open(std::string_view filePath, std::string_view radioListPath) {
    std::printf("Opening repository...\n");
    filePath_.assign(filePath);
    loadOwnNodeFile(settings_, filePath);
    radioList_.load(radioListPath);
    if (const Node* oldPaths = settings_.findChild(entry::kList)) {
        setSetting(kRepositoryPaths, Str(oldPaths->value()));
        settings_.removeListChildren();
        saveSettings();
    }
    for (const Str& path : musicFolderPaths()) addTopLevelFolder().load(path);
}

bool Repository::saveSettings() const {
    return saveNodeFile(settings_, filePath_.view(), true);
}

Node& Repository::userNode() {
    if (Node* user = settings_.findChild(kUser)) return *user;
    return *settings_.appendChild(kUser, "username");
}

Str Repository::getSetting(std::string_view name) {
    const char* stored = userNode().childValue(name, nullptr);
    return stored ? Str(stored) : settingDefault(name);
}

bool Repository::isStorableSetting(std::string_view name, std::string_view value) {
    // The settings file keeps a name up to its first blank, one node per line.
    if (name.empty() || name.find_first_of(" \t\r\n") != std::string_view::npos) {
        std::printf("Refusing the setting name \"%.*s\": it is empty or holds a blank or line break\n",
                    static_cast<int>(name.size()), name.data());
        return false;
    }
    if (name != kRepositoryPaths && value.find_first_of("\r\n") != std::string_view::npos) {
        std::printf("Refusing the value of the setting \"%.*s\": it holds a line break\n",
                    static_cast<int>(name.size()), name.data());
        return false;
    }
    return true;
}

void Repository::setSetting(std::string_view name, std::string_view value) {
    if (!isStorableSetting(name, value)) return;
    const std::string_view stored = name == kPageMaxMatches && decimalValue(value) <= 9 ? "10" : value;
    Node& user = userNode();
    const char* current = user.childValue(name, nullptr);
    if (!current || current != stored) {
        user.setChild(name, stored);
        saveSettings();
    }
    if (applyEqualiserSetting(name, value, equaliserHook_)) eqRevision.raise();
}

StrList Repository::musicFolderPaths() {
    StrList paths;
    paths.split(getSetting(kRepositoryPaths), '\n', true);
    return paths;
}

bool Repository::syncRoot(const Node& scannedRoot, std::span<RepositoryFolder* const> viewFolders,
                          SongMoves* moves) {
    const std::string_view path = scannedRoot.value();
    const auto samePath = [path](const RepositoryFolder* folder) { return folder->path() == path; };
    RepositoryFolder* folder = nullptr;
    const auto oldestFirst = std::find_if(folders_.begin(), folders_.end(),
                                          [&samePath](const auto& root) { return samePath(root.get()); });
    if (oldestFirst != folders_.end()) {
        folder = oldestFirst->get();
    } else if (const auto inView = std::find_if(viewFolders.begin(), viewFolders.end(), samePath);
               inView != viewFolders.end()) {
        folder = *inView;
    } else {
        folder = &addTopLevelFolder();
        folder->load(path);
    }
    return folder->synchronise(scannedRoot, *this, moves);
}

void Repository::retireEntry(Node& entry) {
    LibraryItem* item = itemOf(entry);
    if (!item) return;
    std::erase(pendingTags, item);
    if (retireHook_) retireHook_(*item);
    items_.retire(*item);
}

bool Repository::removeOwnStation(int32_t id) {
    LibraryItem* item = items_.find(id);
    if (!item || !radioList_.isOwnStation(*item)) return false;
    Node& station = *item->node();
    radioList_.forgetStation(*item);
    retireEntry(station);
    radioList_.dropStation(station);
    return true;
}

RepositoryFolder& Repository::addTopLevelFolder() {
    folders_.push_back(std::make_unique<RepositoryFolder>());
    return *folders_.back();
}
