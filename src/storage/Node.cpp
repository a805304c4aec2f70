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
static_assert(sizeof(Node) == 56);

Node* Node::create(Node* parent) {
    void* slot = nodePool().allocate();
    return slot ? new (slot) Node(parent) : nullptr;
}

void Node::destroy(Node* node) {
    if (!node) return;
    node->next_ = nullptr;
    destroyWithSiblings(node);
}

// Iterative, so a very deep or very long tree cannot exhaust the stack: each node's
// children are spliced in right after it before it goes.
void Node::destroyWithSiblings(Node* node) {
    while (node) {
        if (node->firstChild_) {
            node->lastChild_->next_ = node->next_;
            node->next_ = node->firstChild_;
            node->firstChild_ = node->lastChild_ = nullptr;
        }
        Node* following = node->next_;
        node->~Node();
        nodePool().release(node);
        node = following;
    }
}

void Node::clearChildren() {
    destroyWithSiblings(firstChild_);
    firstChild_ = lastChild_ = nullptr;
}

void Node::setText(std::string_view name, std::string_view value) {
    text_.assign(storedName(name), value);
}

void Node::linkAtEnd(Node* child) {
    if (lastChild_) {
        lastChild_->next_ = child;
    } else {
        firstChild_ = child;
    }
    lastChild_ = child;
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
    for (Node* child = firstChild_; child; child = child->next_) {
        if (child->hasName(name) && index-- == 0) return child;
    }
    return nullptr;
}

Node* Node::findChildWithValue(std::string_view name, std::optional<std::string_view> value, bool create) {
    for (Node* child = firstChild_; child; child = child->next_) {
        if (child->hasName(name) && (!value || *value == child->value())) return child;
    }
    return create ? appendChild(name, value.value_or("")) : nullptr;
}

Node* Node::unlinkChild(Node* child) {
    Node* previous = nullptr;
    for (Node* current = firstChild_; current; previous = current, current = current->next_) {
        if (current != child) continue;
        (previous ? previous->next_ : firstChild_) = child->next_;
        if (lastChild_ == child) lastChild_ = previous;
        child->next_ = nullptr;
        return child;
    }
    return nullptr;
}

void Node::linkChild(Node* child, bool first) {
    child->parent_ = this;
    if (!first) {
        linkAtEnd(child);
        return;
    }
    child->next_ = firstChild_;
    firstChild_ = child;
    if (!lastChild_) lastChild_ = child;
}

int Node::removeListChildren() {
    int removed = 0;
    Node* previous = nullptr;
    for (Node* child = firstChild_; child;) {
        Node* following = child->next_;
        if (child->hasName("LIST")) {
            (previous ? previous->next_ : firstChild_) = following;
            destroy(child);
            ++removed;
        } else {
            previous = child;
        }
        child = following;
    }
    lastChild_ = previous;
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
    if (descend && firstChild_) return firstChild_;
    for (const Node* node = this; node; node = node->parent_) {
        if (node->next_) return node->next_;
    }
    return nullptr;
}
