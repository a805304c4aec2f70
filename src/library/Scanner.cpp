#include "library/Scanner.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "library/DirReader.h"
#include "library/EntryNames.h"
#include "text/Str.h"

Scanner::~Scanner() = default;

bool Scanner::shouldEnter(std::string_view) {
    return true;
}

void Scanner::scanRoot(std::string_view rootPath) {
    Str trimmed(rootPath);
    trimmed.dropTrailingSlash();
    const std::string& path = trimmed.str();
    DirectoryId id;
    if (!isDirectory(path.empty() ? "/" : path, &id)) return;
    Node* root = Node::create(&tree_);
    if (!root) return;
    root->setText(scan::kPath, path);
    walkChain_.assign(1, id);
    const bool listed = walk(*root, path);
    walkChain_.clear();
    if (listed) {
        tree_.linkChild(root);
    } else {
        Node::destroy(root);
    }
}

void Scanner::clear() {
    tree_.clearChildren();
    directories_ = 0;
    files_ = 0;
}

bool Scanner::walk(Node& directory, const std::string& path) {
    if (!shouldEnter(path)) return false;
    const std::unique_ptr<DirReader> reader = DirReader::open(path);
    if (!reader) return false;
    while (const DirEntry* entry = reader->next()) {
        if (!entry->name.starts_with('.')) addEntry(directory, path, *entry);
    }
    return !reader->failed();
}

void Scanner::addEntry(Node& directory, const std::string& path, const DirEntry& entry) {
    if (entry.name.size() > kMaxName || path.size() + 1 + entry.name.size() > kMaxPath) {
        std::printf("Skipping an entry of \"%s\": its name or path is too long\n", path.c_str());
        return;
    }
    // Pipes and devices are never entries: reading one for its tags could block for good.
    if (entry.kind == ListedKind::kSpecial) return;
    if (entry.kind == ListedKind::kAsk) {
        std::string fullPath = path + "/" + std::string(entry.name);
        DirectoryId id;
        const PathKind kind = pathKind(fullPath, &id);
        if (kind == PathKind::kDirectory) {
            ++directories_;
            addDirectory(directory, std::move(fullPath), entry.name, id);
            return;
        }
        if (kind != PathKind::kFile) return;
    }
    ++files_;
    directory.appendChild(scan::kFile, entry.name);
}

void Scanner::addDirectory(Node& directory, std::string fullPath, std::string_view name, DirectoryId id) {
    if (onCurrentWalk(id)) {
        std::printf("Skipping \"%s\": it leads back into a folder being scanned\n", fullPath.c_str());
        return;
    }
    Node* child = directory.appendChild(scan::kPath, fullPath);
    if (!child) return;
    child->appendChild(scan::kName, name);
    walkChain_.push_back(id);
    if (!walk(*child, fullPath)) child->appendChild(scan::kUnlisted, "");
    walkChain_.pop_back();
}

bool Scanner::onCurrentWalk(DirectoryId id) const {
    return std::find(walkChain_.begin(), walkChain_.end(), id) != walkChain_.end();
}
