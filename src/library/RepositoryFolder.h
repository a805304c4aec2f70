#pragma once
// One folder of the library: its entries as a node tree, stored as path + "/playlist.vmr"
// in the file store, and its subfolders. It owns both. Used under the application lock.

#include <vector>
#include <memory>
#include <string_view>

#include "platform/LastingText.h"
#include "storage/Node.h"

class Repository;
class SongMoves;

class RepositoryFolder {
public:
    // In name order, ASCII case ignored, as the entries are.
    using Children = std::vector<std::unique_ptr<RepositoryFolder>>;

    // An empty folder; `listNode` is the LIST entry in the parent's content, if any.
    explicit RepositoryFolder(Node* listNode = nullptr, RepositoryFolder* parent = nullptr);
    virtual ~RepositoryFolder();
    RepositoryFolder(const RepositoryFolder&) = delete;
    RepositoryFolder& operator=(const RepositoryFolder&) = delete;

    // Takes the path (one trailing separator dropped) and reads the stored tree with its
    // subfolders; a subfolder without a stored tree is dropped ("Removing %s from list")
    // and the tree saved at once. Without a stored tree: whether a playlist.vmr of that
    // name exists on disk, which keeps such a subfolder.
    bool load(std::string_view path);
    // Writes the content to the store; a folder never loaded is never stored. On failure
    // logs "Error saving %s", keeps the tree and tries again at the next synchronise.
    bool save();
    // Entries by value, ASCII case ignored; equal values keep their order.
    void sortEntries();
    // Links the child after its siblings of lower or equal name and becomes its parent.
    void addChild(std::unique_ptr<RepositoryFolder> child);
    // Unlinks the child and hands it over; null when it is not a child of this folder.
    std::unique_ptr<RepositoryFolder> removeChild(const RepositoryFolder& child);

    // Merges a scanned directory (PATH node) into the folder and its subfolders, saving
    // what changed. Entries it removes are retired through the repository, or handed to
    // `moves` when given (see FolderSynchroniser).
    bool synchronise(const Node& scanned, Repository& repository, SongMoves* moves = nullptr);
    // Moves the preferred of the first `pictures` IMAGE entries to the front: a "front"
    // name, else "folder", else "cover"; of several, the first "front" and the last of
    // the others in sort order. True when the order changed.
    bool chooseCover(int pictures);
    // The first song whose tags showed an embedded picture; null when none did.
    const Node* songWithPicture() const;
    // A picture file of its own, else a song with an embedded picture.
    bool hasPicture() const;

    // Without its trailing "/": the file system's root is "".
    std::string_view path() const { return path_; }
    // The path's last name.
    std::string_view name() const;
    // Whether the folder mirrors one on disk (it was loaded), even the root with its path "".
    bool onDisk() const { return onDisk_; }
    Node& content() { return content_; }
    const Node& content() const { return content_; }
    const Children& children() const { return children_; }
    Node* listNode() const { return listNode_; }
    RepositoryFolder* parent() const { return parent_; }
    // True while the content is not in the store: a change could not be stored, or the
    // folder had no stored tree yet (an empty folder is stored too, so it loads again).
    bool unsaved() const { return unsaved_; }

private:
    LastingText path_;
    Node content_;
    Children children_;
    Node* listNode_;
    RepositoryFolder* parent_;
    bool unsaved_ = false;
    bool onDisk_ = false;
};
