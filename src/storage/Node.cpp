#include "storage/Node.h"

#include <algorithm>
#include <new>


namespace {

bool contains(std::span<const std::string_view> keys, std::string_view name) {
    return std::find(keys.begin(), keys.end(), name) != keys.end();
}

}  // namespace

// The pool's slot stride is the node's size, and slot numbers count 4-byte steps.
static_assert(sizeof(Node) == 32);
static_assert(alignof(Node) == PageBlocks::kNumberStep);

Node::Node(Node* parent) : next_(theRootNumbers.add(this) | kRingEnd), parent_(parent ? parent->number() : 0) {}

Node::~Node() {
    clearChildren();
    if (isRoot()) theRootNumbers.remove(next_ & ~kRingEnd);
}

Node* Node::create(Node* parent) {
    void* slot = nodePool().allocate();
    return slot ? new (slot) Node(InPool{}, parent) : nullptr;
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
        if (Node* last = node->lastChild()) {
            const Link first = last->next_ & ~kRingEnd;
            last->next_ = node->next_;
            node->next_ = first;
            node->lastChild_ = 0;
        }
        Node* following = node->linked();
        node->~Node();
        nodePool().release(node);
        node = following;
    }
}

void Node::clearChildren() {
    Node* last = lastChild();
    if (!last) return;
    Node* first = last->linked();
    last->next_ = 0;
    lastChild_ = 0;
    destroyWithSiblings(first);
}

void Node::setText(std::string_view name, std::string_view value) {
    text_.assign(storedName(name), value);
}

void Node::linkAtEnd(Node* child) {
    const Link link = child->number();
    if (Node* last = lastChild()) {
        child->next_ = last->next_;
        last->next_ = link;
    } else {
        child->next_ = link | kRingEnd;
    }
    lastChild_ = link;
}

void Node::linkAtStart(Node* child) {
    Node* last = lastChild();
    if (!last) {
        linkAtEnd(child);
        return;
    }
    child->next_ = last->next_ & ~kRingEnd;
    last->next_ = child->number() | kRingEnd;
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
    const std::string_view stored = storedName(name);
    const size_t code = field_names::codeOf(stored);
    for (Node& child : children()) {
        if (child.text_.hasName(stored, code) && index-- == 0) return &child;
    }
    return nullptr;
}

Node* Node::findChildWithValue(std::string_view name, std::optional<std::string_view> value, bool create) {
    const std::string_view stored = storedName(name);
    const size_t code = field_names::codeOf(stored);
    for (Node& child : children()) {
        if (child.text_.hasName(stored, code) && (!value || *value == child.value())) return &child;
    }
    return create ? appendChild(name, value.value_or("")) : nullptr;
}

Node* Node::unlinkChild(Node* child) {
    if (!child || child->isRoot() || child->parent() != this || !child->next_) return nullptr;
    Node* const last = lastChild();
    Node* previous = last;
    while (previous->linked() != child) {
        if (previous->linked() == last) return nullptr;
        previous = previous->linked();
    }
    if (previous == child) {
        lastChild_ = 0;
    } else {
        // Either end's mark stays with the link that closes the ring.
        previous->next_ = (child->next_ & ~kRingEnd) | ((previous->next_ | child->next_) & kRingEnd);
        if (last == child) lastChild_ = previous->number();
    }
    child->next_ = 0;
    return child;
}

void Node::linkChild(Node* child, bool first) {
    child->parent_ = number();
    if (first) {
        linkAtStart(child);
    } else {
        linkAtEnd(child);
    }
}

int Node::removeListChildren() {
    int removed = 0;
    Node* child = firstChild();
    if (child) lastChild()->next_ = 0;
    lastChild_ = 0;
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
    for (const Node* node = this; node; node = node->parent()) {
        if (Node* following = node->next()) return following;
    }
    return nullptr;
}
