#include "storage/Node.h"

#include <algorithm>
#include <new>

#include "storage/CachedPool.h"
#include "storage/NodePool.h"

namespace {

bool contains(std::span<const std::string_view> keys, std::string_view name) {
    return std::find(keys.begin(), keys.end(), name) != keys.end();
}

}  // namespace

// The pool's slot stride is the node's size.
static_assert(sizeof(Node) == 48);

Node* Node::create(Node* parent) {
    void* slot = nodePool().allocate();
    return slot ? new (slot) Node(parent) : nullptr;
}

void Node::destroy(Node* node) {
    if (!node) return;
    node->next_ = 0;
    destroyWithSiblings(node);
}

// Iterative, so a very deep or very long tree cannot exhaust the stack: each node's
// children are spliced in right after it before it goes.
void Node::destroyWithSiblings(Node* node) {
    while (node) {
        if (Node* last = node->lastChild_) {
            Node* first = last->linked();
            last->next_ = node->next_;
            node->next_ = address(first);
            node->lastChild_ = nullptr;
        }
        Node* following = node->linked();
        node->~Node();
        nodePool().release(node);
        node = following;
    }
}

void Node::clearChildren() {
    if (!lastChild_) return;
    Node* first = lastChild_->linked();
    lastChild_->next_ = 0;
    lastChild_ = nullptr;
    destroyWithSiblings(first);
}

void Node::setText(std::string_view name, std::string_view value) {
    text_.assign(storedName(name), value);
}

void Node::linkAtEnd(Node* child) {
    if (lastChild_) {
        child->next_ = lastChild_->next_;
        lastChild_->next_ = address(child);
    } else {
        child->next_ = address(child) | kRingEnd;
    }
    lastChild_ = child;
}

void Node::linkAtStart(Node* child) {
    if (!lastChild_) {
        linkAtEnd(child);
        return;
    }
    child->next_ = lastChild_->next_ & ~kRingEnd;
    lastChild_->next_ = address(child) | kRingEnd;
}

Node* Node::appendChild(std::string_view name, std::string_view value) {
    Node* child = create(this);
    if (!child) return nullptr;
    linkAtEnd(child);
    child->setText(name, value);
    return child;
}

Node* Node::setChild(std::string_view name, std::string_view value) {
    Node* child = findChild(name);
    if (!child) return appendChild(name, value);
    child->setText(name, value);
    return child;
}

const char* Node::childValue(std::string_view name, const char* fallback) const {
    const Node* child = findChild(name);
    return child ? child->value() : fallback;
}

Node* Node::findChild(std::string_view name, size_t index) const {
    for (Node& child : children()) {
        if (child.hasName(name) && index-- == 0) return &child;
    }
    return nullptr;
}

Node* Node::findChildWithValue(std::string_view name, std::optional<std::string_view> value, bool create) {
    for (Node& child : children()) {
        if (child.hasName(name) && (!value || *value == child.value())) return &child;
    }
    return create ? appendChild(name, value.value_or("")) : nullptr;
}

Node* Node::unlinkChild(Node* child) {
    if (!child || child->parent_ != this || !child->next_) return nullptr;
    Node* previous = lastChild_;
    while (previous->linked() != child) {
        if (previous->linked() == lastChild_) return nullptr;
        previous = previous->linked();
    }
    if (previous == child) {
        lastChild_ = nullptr;
    } else {
        // Either end's mark stays with the link that closes the ring.
        previous->next_ = (child->next_ & ~kRingEnd) | ((previous->next_ | child->next_) & kRingEnd);
        if (lastChild_ == child) lastChild_ = previous;
    }
    child->next_ = 0;
    return child;
}

void Node::linkChild(Node* child, bool first) {
    child->parent_ = this;
    if (first) {
        linkAtStart(child);
    } else {
        linkAtEnd(child);
    }
}

int Node::removeListChildren() {
    int removed = 0;
    Node* child = firstChild();
    if (child) lastChild_->next_ = 0;
    lastChild_ = nullptr;
    while (child) {
        Node* following = child->linked();
        if (child->hasName("LIST")) {
            destroy(child);
            ++removed;
        } else {
            linkAtEnd(child);
        }
        child = following;
    }
    return removed;
}

void Node::copyChildrenFrom(const Node& source) {
    for (const Node& from : source.children()) {
        if (Node* copy = appendChild(from.name(), from.value())) copy->copyChildrenFrom(from);
    }
}

void Node::mergeFrom(const Node& source, std::span<const std::string_view> keys) {
    for (const Node& from : source.children()) {
        Node* target = contains(keys, from.name()) ? findChildWithValue(from.name(), from.value(), true)
                                                   : setChild(from.name(), from.value());
        if (target) target->mergeFrom(from, keys);
    }
}

Node* Node::nextInPreorder(bool descend) const {
    if (descend && lastChild_) return firstChild();
    for (const Node* node = this; node; node = node->parent_) {
        if (Node* following = node->next()) return following;
    }
    return nullptr;
}
