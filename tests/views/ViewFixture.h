#pragma once
// Folder trees stored in a temporary store and opened by the repository, with the filter
// set, view, queue and play position the player builds on it.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "library/LibraryFixture.h"
#include "library/LibraryItem.h"
#include "library/StatusBoard.h"
#include "storage/StoreHandle.h"
#include "views/FilterSet.h"
#include "views/LibraryView.h"
#include "views/PlayNumbers.h"
#include "views/PlayPosition.h"
#include "views/PlayQueue.h"

class ViewFixture : public LibraryFixture {
protected:
    ViewFixture() { filters.load(folder / "filters.vmr"); }

    // `folders` pairs a path with its entries as node-tree text; `roots` are the music
    // folders in their configured order.
    void openLibrary(const std::vector<std::pair<std::string, std::string>>& folders, std::vector<std::string> roots) {
        for (const auto& [path, tree] : folders) {
            Node root;
            readNodeStream(root, *storeMemoryHandle(tree.data(), tree.size()));
            ASSERT_TRUE(saveNodeFile(root, path + "/playlist.vmr", false));
        }
        std::string paths;
        for (const std::string& root : roots) paths += root + "\n";
        Node settings;
        settings.appendChild("USER", "username")->appendChild("REPOSITORY_PATHS", paths);
        ASSERT_TRUE(saveNodeFile(settings, folder / "repository.vmr", true));
        capturedOutput([this] { repository.open(folder / "repository.vmr", folder / "radio2.vmr"); });
        rebuild();
    }
    void rebuild() {
        capturedOutput([this] { view.rebuildView(true); });
    }

    std::string listed() {
        std::string names;
        for (const LibraryItem* item : view.items()) names += std::string(" ") + item->node()->value();
        return names.empty() ? names : names.substr(1);
    }
    LibraryItem& at(size_t position) { return *view.items()[position]; }
    std::string current() const {
        const LibraryItem* item = position.currentItem();
        return item ? item->node()->value() : "<none>";
    }

    StatusBoard board;
    FilterSet filters{board, [] { return int64_t{1700000000}; }};
    LibraryView view{repository, filters};
    PlayQueue queue{repository};
    PlayPosition position{repository, view, queue};
};

// `count` one-minute songs "<prefix>NNN.mp3" as folder-tree text.
inline std::string songs(const std::string& prefix, int count) {
    std::string tree;
    for (int i = 0; i < count; ++i) {
        char number[16];
        std::snprintf(number, sizeof number, "%03d", i);
        tree += "AUDIO " + prefix + number + ".mp3\n TIME 01:00\n";
    }
    return tree;
}
