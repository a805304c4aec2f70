#pragma once
// A repository on a store of its own in a temporary folder (with a home of its own for the
// default music folder), and a music folder to fill, for tests on real trees.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "library/Repository.h"
#include "library/Scanner.h"
#include "storage/FileStore.h"
#include "storage/NodeFile.h"
#include "support/CapturedOutput.h"
#include "support/TempFolder.h"

class LibraryFixture : public testing::Test {
protected:
    LibraryFixture() {
        std::filesystem::create_directories(folder / "database");
        store.storeOpen(folder / "database");
        theFileStore = &store;
        if (const char* home = std::getenv("HOME")) savedHome_ = home;
        setenv("HOME", (folder / "home").c_str(), 1);
    }
    ~LibraryFixture() override {
        theFileStore = nullptr;
        setenv("HOME", savedHome_.c_str(), 1);
    }

    std::string music() const { return folder / "music"; }
    void put(const std::string& relative) const { TempFolder::write(music() + "/" + relative, "x"); }

    // Scans and merges as the scan job does; returns the log.
    std::string scan(const std::string& root = "") {
        return capturedOutput([&] {
            scanner.scanRoot(root.empty() ? music() : root);
            for (const Node& scanned : scanner.tree().children()) repository.syncRoot(scanned, {});
            scanner.clear();
        });
    }
    std::string stored(const std::string& path) {
        Node root;
        return loadNodeFile(root, path + "/playlist.vmr", false) ? formatNodeTree(root) : "<none>";
    }
    std::string flushLog() {
        return capturedOutput([this] { store.storeFlush(); });
    }
    RepositoryFolder& root() { return *repository.folders().front(); }

    std::string savedHome_;
    TempFolder folder;
    FileStore store;
    Repository repository;
    Scanner scanner;
};

// The children as "NAME value" lines, without their own children.
inline std::string entryLines(const Node& node) {
    std::string lines;
    for (const Node& child : node.children()) lines += std::string(child.name()) + " " + child.value() + "\n";
    return lines;
}

inline const Node* childWith(const Node& node, std::string_view name, std::string_view value) {
    for (const Node& child : node.children()) {
        if (child.hasName(name) && child.value() == value) return &child;
    }
    return nullptr;
}
