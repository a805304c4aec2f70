#pragma once
// A named node with a text value and ordered children: the one record type behind every
// list, setting and library entry. Trees have no lock; whoever owns a tree guards it.

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <optional>
#include <span>
#include <string_view>

#include "storage/NodePool.h"
#include "storage/NodeText.h"
#include "storage/RootNumbers.h"

class Node {
public:
    // The value offset is one byte, so longer names are cut to this many bytes.
    static constexpr size_t kMaxNameLength = NodeText::kMaxNameLength;

    // A root, held by value by whoever owns the tree; it destroys its children.
    explicit Node(Node* parent = nullptr);
    ~Node();
    Node(const Node&) = delete;
    Node& operator=(const Node&) = delete;

    // A pool node that remembers `parent` but is not linked under it; null when the pool
    // cannot grow.
    static Node* create(Node* parent);
    // Returns the node, its text and its whole subtree to the pool. The caller unlinks it
    // first. Null is ignored.
    static void destroy(Node* node);

    void clearChildren();

    // Both are "" until the text is first set; they stay valid until the next setText or
    // setItemNumber.
    const char* name() const { return text_.name(); }
    const char* value() const { return text_.value(); }
    void setText(std::string_view name, std::string_view value);
    // Inline like NodeText's.
    bool hasName(std::string_view name) const { return text_.hasName(storedName(name)); }

    // The operations that create a child return null when the pool cannot grow.
    Node* appendChild(std::string_view name, std::string_view value);
    // Rewrites the first child of that name, or appends one.
    Node* setChild(std::string_view name, std::string_view value);
    // The first such child's value, else `fallback` itself (null stays null).
    const char* childValue(std::string_view name, const char* fallback) const;
    // The index-th child of that name.
    Node* findChild(std::string_view name, size_t index = 0) const;
    // The first child of that name and, unless nullopt, that exact value; with `create` a
    // missing one is appended (value "" for nullopt).
    Node* findChildWithValue(std::string_view name, std::optional<std::string_view> value, bool create);
    // Unlinks without destroying; null when `child` is not a child of this node.
    Node* unlinkChild(Node* child);
    // Links an unlinked node (from unlinkChild or create) as the first or last child and
    // makes this node its parent; moving and reordering entries needs no copy.
    void linkChild(Node* child, bool first = false);
    // Destroys every child named LIST and says how many.
    int removeListChildren();
    // Appends deep copies of the source's children.
    void copyChildrenFrom(const Node& source);
    // Merges the source's children in: names in `keys` match by name and value (one child
    // per distinct value), other names by name alone (the value is overwritten).
    void mergeFrom(const Node& source, std::span<const std::string_view> keys);
    void mergeFrom(const Node& source, std::initializer_list<std::string_view> keys = {}) {
        mergeFrom(source, std::span(keys.begin(), keys.size()));
    }
    // Depth-first, parents first; not bounded by any subtree, null after the last node.
    Node* nextInPreorder(bool descend) const;

    // The following sibling; null after the last child and for a node not linked.
    Node* next() const { return next_ & kRingEnd ? nullptr : linked(); }
    Node* parent() const { return numbered(parent_); }
    Node* firstChild() const { return lastChild_ ? pooled(lastChild_)->linked() : nullptr; }
    Node* lastChild() const { return pooled(lastChild_); }
    // A number that names this node, a root too, while it lives; never 0. `numbered` gives
    // the node back (null for 0).
    uint32_t number() const { return isRoot() ? next_ & ~kRingEnd : nodePool().pool().numberOf(this); }
    static Node* numbered(uint32_t number) {
        return number >= RootNumbers::kFirst ? theRootNumbers.at(number) : pooled(number);
    }
    // The number of the library item that names this entry (see LibraryItemPool.h), 0 for
    // none; the node only keeps it.
    uint32_t itemNumber() const { return text_.itemNumber(); }
    // May move the name and value (see name()).
    void setItemNumber(uint32_t number) { text_.setItemNumber(number); }

    class ChildIterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = Node;
        using difference_type = std::ptrdiff_t;
        using pointer = Node*;
        using reference = Node&;
        explicit ChildIterator(Node* node = nullptr) : node_(node) {}
        Node& operator*() const { return *node_; }
        Node* operator->() const { return node_; }
        ChildIterator& operator++() {
            node_ = node_->next();
            return *this;
        }
        ChildIterator operator++(int) {
            ChildIterator before = *this;
            ++*this;
            return before;
        }
        bool operator==(const ChildIterator&) const = default;

    private:
        Node* node_;
    };
    struct ChildRange {
        Node* first;
        ChildIterator begin() const { return ChildIterator(first); }
        ChildIterator end() const { return ChildIterator(); }
    };
    // The children in order; the walk must not unlink or destroy the child it stands on.
    ChildRange children() const { return {firstChild()}; }

private:
    struct InPool {};
    Node(InPool, Node* parent) : parent_(parent ? parent->number() : 0) {}

    // Lookups cut a long name the way setText stores it, so setChild finds what it wrote.
    static std::string_view storedName(std::string_view name) {
        return name.size() > kMaxNameLength ? name.substr(0, kMaxNameLength) : name;
    }
    static void destroyWithSiblings(Node* node);
    void linkAtEnd(Node* child);
    void linkAtStart(Node* child);

    // Links are 32-bit numbers: a pool node's from the pool's slot numbering, a root's from
    // RootNumbers (only parent_ names a root); 0 is null.
    using Link = uint32_t;
    static Node* pooled(Link link) { return static_cast<Node*>(nodePool().pool().slotOf(link)); }
    // A root keeps its own number in next_, marked as a ring's end so it has no sibling.
    bool isRoot() const { return (next_ & ~kRingEnd) >= RootNumbers::kFirst; }

    // The children form a ring through next_, entered at the last child, which saves a link
    // per node; the last child's link to the first carries kRingEnd, so a walk sees its end
    // without the parent. next_ is 0 while a node is not linked, and a chain of nodes being
    // destroyed carries no mark.
    static constexpr Link kRingEnd = Link{1} << 31;
    static_assert(RootNumbers::kLimit <= kRingEnd);
    Node* linked() const { return pooled(next_ & ~kRingEnd); }

    Link next_ = 0;
    Link parent_ = 0;
    Link lastChild_ = 0;
    NodeText text_;
};
