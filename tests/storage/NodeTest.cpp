#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "storage/CachedPool.h"
#include "storage/FixedPool.h"
#include "storage/Node.h"
#include "storage/NodePool.h"
#include "storage/PageBlocks.h"

namespace {

std::vector<std::string> childLines(const Node& node) {
    std::vector<std::string> lines;
    for (const Node& child : node.children()) lines.push_back(std::string(child.name()) + "=" + child.value());
    return lines;
}

}  // namespace

TEST(Node, LookupsTakeTheFirstMatchAndSetChildRewritesOnlyIt) {
    Node root;
    root.appendChild("RATE", "1");
    root.appendChild("Rate", "x");
    root.appendChild("RATE", "2");
    EXPECT_EQ(root.setChild("RATE", "3"), root.firstChild());
    EXPECT_STREQ(root.childValue("RATE", "0"), "3");
    EXPECT_STREQ(root.findChild("RATE", 1)->value(), "2");
    EXPECT_EQ(root.findChild("RATE", 2), nullptr);

    const char* fallback = "-";
    EXPECT_EQ(root.childValue("TITLE", fallback), fallback);
    EXPECT_EQ(root.childValue("TITLE", nullptr), nullptr);

    root.setChild("TITLE", "t");
    EXPECT_EQ(root.lastChild()->name(), std::string("TITLE"));
    EXPECT_EQ(childLines(root), (std::vector<std::string>{"RATE=3", "Rate=x", "RATE=2", "TITLE=t"}));
}

TEST(Node, FindChildWithValueMatchesCreatesAndIgnoresTheValueWhenAbsent) {
    Node root;
    root.appendChild("PATH", "/a");
    root.appendChild("PATH", "/b");
    EXPECT_STREQ(root.findChildWithValue("PATH", std::nullopt, false)->value(), "/a");
    EXPECT_STREQ(root.findChildWithValue("PATH", "/b", false)->value(), "/b");
    EXPECT_EQ(root.findChildWithValue("PATH", "/c", false), nullptr);
    Node* created = root.findChildWithValue("PATH", "/c", true);
    EXPECT_EQ(created, root.lastChild());
    EXPECT_STREQ(root.findChildWithValue("NEW", std::nullopt, true)->value(), "");
}

TEST(Node, MergeKeepsOneChildPerKeyValueAndOverwritesOtherNames) {
    Node target;
    target.appendChild("GENRE", "Rock");
    target.appendChild("TITLE", "Old");
    target.appendChild("TITLE", "Second");
    Node source;
    source.appendChild("GENRE", "Rock")->appendChild("VOTES", "1");
    source.appendChild("GENRE", "Pop");
    source.appendChild("TITLE", "New");
    target.mergeFrom(source, {"GENRE"});
    EXPECT_EQ(childLines(target), (std::vector<std::string>{"GENRE=Rock", "TITLE=New", "TITLE=Second", "GENRE=Pop"}));
    EXPECT_STREQ(target.firstChild()->childValue("VOTES", nullptr), "1");

    Node plain;
    plain.mergeFrom(source);
    EXPECT_EQ(childLines(plain), (std::vector<std::string>{"GENRE=Pop", "TITLE=New"}));
}

TEST(Node, UnlinkAndRemoveListChildrenKeepTheListConsistent) {
    Node root;
    root.appendChild("A", "");
    root.appendChild("LIST", "1");
    Node* b = root.appendChild("B", "");
    root.appendChild("LIST", "2")->appendChild("X", "");
    EXPECT_EQ(root.removeListChildren(), 2);
    EXPECT_EQ(childLines(root), (std::vector<std::string>{"A=", "B="}));
    EXPECT_EQ(root.lastChild(), b);

    EXPECT_EQ(root.unlinkChild(b), b);
    EXPECT_EQ(root.lastChild(), root.firstChild());
    EXPECT_EQ(root.unlinkChild(b), nullptr);
    Node::destroy(b);
    root.appendChild("C", "");
    EXPECT_EQ(childLines(root), (std::vector<std::string>{"A=", "C="}));

    Node lists;
    lists.appendChild("LIST", "");
    EXPECT_EQ(lists.removeListChildren(), 1);
    EXPECT_EQ(lists.firstChild(), nullptr);
    EXPECT_EQ(lists.lastChild(), nullptr);

    // The children form a ring through the last one: its ends must stay right.
    Node ring;
    Node* only = Node::create(&ring);
    ring.linkChild(only, true);
    EXPECT_EQ(ring.firstChild(), only);
    EXPECT_EQ(only->next(), nullptr);
    ring.linkChild(Node::create(nullptr), true);
    ring.firstChild()->setText("F", "");
    ring.appendChild("Z", "");
    EXPECT_EQ(childLines(ring), (std::vector<std::string>{"F=", "=", "Z="}));
    EXPECT_EQ(ring.lastChild()->next(), nullptr);
    EXPECT_EQ(only->nextInPreorder(true), ring.lastChild());
    EXPECT_EQ(ring.lastChild()->nextInPreorder(true), nullptr);
    for (Node& child : ring.children()) {
        if (&child == only) Node::destroy(ring.unlinkChild(ring.lastChild()));
    }
    EXPECT_EQ(childLines(ring), (std::vector<std::string>{"F=", "="}));
    Node::destroy(ring.unlinkChild(ring.firstChild()));
    Node::destroy(ring.unlinkChild(only));
    EXPECT_EQ(ring.firstChild(), nullptr);
    EXPECT_EQ(ring.unlinkChild(&lists), nullptr);
}

TEST(Node, NamesUpTo254BytesAreKeptAndLongerOnesCutWithoutTouchingTheValue) {
    Node root;
    const std::string exact(254, 'n');
    EXPECT_EQ(root.appendChild(exact, "v")->name(), exact);
    const std::string longName(300, 'm');
    Node* cut = root.setChild(longName, "value");
    EXPECT_EQ(cut->name(), longName.substr(0, 254));
    EXPECT_STREQ(cut->value(), "value");
    EXPECT_EQ(root.setChild(longName, "again"), cut);
    Node* unnamed = root.appendChild("", "");
    EXPECT_TRUE(unnamed->hasName(""));
    EXPECT_FALSE(Node().hasName(""));
}

// Names and values whose sizes put the whole text (name, NUL, value, NUL) just inside or
// just outside the node's own bytes, with and without an item number, which takes 4 of them;
// the number's bytes must not run into the text or the text's into the number.
TEST(Node, TextsAroundTheInPlaceLimitsReadBackWhole) {
    for (const uint32_t item : {0u, 0x7EFFFF01u}) {
        Node root;
        const size_t room = item ? NodeText::kInlineBytesWithItem : NodeText::kInlineBytes;
        for (size_t total = room - 3; total <= room + 3; ++total) {
            for (const size_t nameLength : {size_t{0}, size_t{1}, total / 2, total - 3, total - 2}) {
                const std::string name(nameLength, 'n');
                const std::string value(total - 2 - nameLength, 'v');
                Node* node = root.appendChild(name, value);
                for (int assigned = 0; assigned < 2; ++assigned) {
                    if (assigned) node->setText(name, value);
                    node->setItemNumber(item);
                    EXPECT_EQ(node->name(), name) << total << " " << nameLength;
                    EXPECT_EQ(node->value(), value) << total << " " << nameLength;
                    EXPECT_EQ(node->itemNumber(), item);
                    EXPECT_TRUE(node->hasName(name));
                    EXPECT_FALSE(node->hasName(name + "v"));
                    EXPECT_EQ(root.findChildWithValue(name, value, false), node);
                }
            }
        }
    }
    Node root;
    Node* empty = root.appendChild("", "");
    EXPECT_STREQ(empty->name(), "");
    EXPECT_STREQ(empty->value(), "");
    EXPECT_TRUE(empty->hasName(""));
}

// Common field names are kept as a code, which leaves their values more room in place, and
// lookups compare them as codes whether the text is in place or in a block.
TEST(Node, CodedNamesReadBackAndMoveOutWithAnItem) {
    const uint32_t item = 0x1000;
    const std::string_view names[] = {"TITLE", "TITL", "TITLES", "LIST", "ADDED"};
    Node root;
    for (const std::string_view name : names) {
        for (size_t length = NodeText::kInlineBytesWithItem - 2; length <= NodeText::kInlineBytes + 1; ++length) {
            const std::string value(length, 'v');
            Node* node = root.appendChild(name, value);
            EXPECT_EQ(node->name(), name);
            EXPECT_EQ(node->value(), value);
            EXPECT_TRUE(node->hasName(name));
            EXPECT_FALSE(node->hasName(std::string(name) + "S"));
            EXPECT_FALSE(node->hasName(name.substr(1)));
            EXPECT_EQ(root.findChildWithValue(name, value, false), node);
            if (length % 2) {
                node->setItemNumber(item);
                EXPECT_EQ(node->name(), name);
                EXPECT_EQ(node->value(), value);
                EXPECT_TRUE(node->hasName(name));
                EXPECT_EQ(node->itemNumber(), item);
            }
        }
    }
    const size_t perName = NodeText::kInlineBytes + 1 - (NodeText::kInlineBytesWithItem - 2) + 1;
    for (const std::string_view name : names) {
        EXPECT_STREQ(root.childValue(name, nullptr), std::string(NodeText::kInlineBytesWithItem - 2, 'v').c_str());
        EXPECT_EQ(root.findChild(name, perName - 1)->name(), name);
        EXPECT_EQ(root.findChild(name, perName), nullptr);
    }
    EXPECT_EQ(root.findChild("TIME"), nullptr);
    Node* node = root.appendChild("TIME", "03:05");
    node->setText(node->name(), node->value());
    node->setText(node->value(), node->name());
    EXPECT_STREQ(node->name(), "03:05");
    EXPECT_STREQ(node->value(), "TIME");
    node->setText(node->value(), std::string_view(node->value()).substr(1));
    EXPECT_STREQ(node->name(), "TIME");
    EXPECT_STREQ(node->value(), "IME");
}

// Texts of one size class share pages, so a text written into too small a slot would show
// in its neighbour.
TEST(Node, TextsAroundTheTextPoolSizesReadBackWholeAndGiveTheirSlotsBack) {
    const uint32_t item = 0x1000;
    const auto pagesOfTextPools = [] {
        textPool(1).flushThisThread();
        textPool(2).flushThisThread();
        return textPool(1).pool().pageCount() + textPool(2).pool().pageCount();
    };
    const size_t pagesBefore = pagesOfTextPools();
    {
        Node root;
        std::vector<std::pair<std::string, std::string>> texts;
        for (const size_t slot : {kTextPoolSlotBytes[1], kTextPoolSlotBytes[2]}) {
            for (size_t total = slot - 2; total <= slot + 2; ++total) {
                for (int copy = 0; copy < 300; ++copy) {
                    // A common name's block keeps only its code, not its letters.
                    const std::string name = copy % 3 ? "N" + std::to_string(copy) : "TITLE";
                    const size_t nameBytes = copy % 3 ? name.size() : 0;
                    texts.emplace_back(name, std::string(total - 2 - nameBytes, static_cast<char>('a' + copy % 26)));
                    Node* node = root.appendChild(name, texts.back().second);
                    if (copy % 2) node->setItemNumber(item);
                }
            }
        }
        Node* moved = root.firstChild();
        moved->setText("MOVED", std::string(kTextPoolSlotBytes[2] - 10, 'm'));
        texts.front() = {"MOVED", std::string(kTextPoolSlotBytes[2] - 10, 'm')};
        EXPECT_GT(pagesOfTextPools(), pagesBefore);
        size_t index = 0;
        for (const Node& node : root.children()) {
            EXPECT_EQ(node.name(), texts[index].first) << index;
            EXPECT_EQ(node.value(), texts[index].second) << index;
            ++index;
        }
        EXPECT_EQ(index, texts.size());
    }
    EXPECT_EQ(pagesOfTextPools(), pagesBefore);
}

TEST(Node, SetTextMovesTheTextInAndOutOfTheNodeAndMayReadItsOwnText) {
    Node root;
    Node* node = root.appendChild("RATE", "3");
    const std::string longValue(40, 'x');
    const std::string longestName(Node::kMaxNameLength, 'n');
    const std::pair<std::string, std::string> texts[] = {
        {"TITLE", longValue}, {"YEAR", "1999"}, {longestName, ""}, {"", ""}, {"", longValue}, {"TIME", "03:05"}};
    for (const auto& [name, value] : texts) {
        node->setText(name, value);
        EXPECT_EQ(node->name(), name);
        EXPECT_EQ(node->value(), value);
        EXPECT_TRUE(node->hasName(name));
        EXPECT_EQ(root.findChild(name), node);
    }

    node->setText(node->value(), node->name());
    EXPECT_STREQ(node->name(), "03:05");
    EXPECT_STREQ(node->value(), "TIME");
    node->setText(longValue, node->name());
    EXPECT_EQ(node->name(), longValue);
    EXPECT_STREQ(node->value(), "03:05");
    node->setText(node->value(), std::string_view(node->name()).substr(1));
    EXPECT_STREQ(node->name(), "03:05");
    EXPECT_EQ(node->value(), longValue.substr(1));
    node->setText(std::string_view(node->value()).substr(30), node->name());
    EXPECT_STREQ(node->name(), "xxxxxxxxx");
    EXPECT_STREQ(node->value(), "03:05");
}

// Only the item number is kept, never read, so any number serves.
TEST(Node, AnItemNumberStaysThroughEveryTextAndLeavesTheTextAlone) {
    const uint32_t item = 0x7EFFFFFC;
    Node unnamed;
    unnamed.setItemNumber(item);
    EXPECT_EQ(unnamed.itemNumber(), item);
    EXPECT_FALSE(unnamed.hasName(""));
    EXPECT_STREQ(unnamed.name(), "");
    EXPECT_STREQ(unnamed.value(), "");

    Node root;
    Node* song = root.appendChild("AUDIO", "a.mp3");
    song->setItemNumber(0);
    EXPECT_EQ(song->itemNumber(), 0u);
    song->setItemNumber(item);
    EXPECT_EQ(song->itemNumber(), item);
    EXPECT_STREQ(song->name(), "AUDIO");
    EXPECT_STREQ(song->value(), "a.mp3");
    EXPECT_EQ(root.findChildWithValue("AUDIO", "a.mp3", false), song);

    const std::string longName(300, 'm');
    const std::string longValue(100, 'v');
    for (const auto& [name, value] : {std::pair<std::string_view, std::string_view>{"AUDIO", "b.mp3"},
                                      {longName, longValue},
                                      {"", ""},
                                      {"AUDIO", "01 Title 86665.mp3"},
                                      {"RADIO", "c"}}) {
        song->setText(name, value);
        EXPECT_EQ(song->itemNumber(), item);
        EXPECT_EQ(song->name(), name.substr(0, Node::kMaxNameLength));
        EXPECT_EQ(song->value(), value);
        EXPECT_TRUE(song->hasName(name));
    }
    song->setItemNumber(0);
    EXPECT_EQ(song->itemNumber(), 0u);
    EXPECT_STREQ(song->name(), "RADIO");
    EXPECT_STREQ(song->value(), "c");
    song->setText("AUDIO", "01 Title 86665.mp3");
    song->setItemNumber(item);
    song->setItemNumber(0);
    EXPECT_EQ(song->itemNumber(), 0u);
    EXPECT_STREQ(song->value(), "01 Title 86665.mp3");
    song->setText("AUDIO", "d.mp3");
    EXPECT_EQ(song->itemNumber(), 0u);
    EXPECT_STREQ(song->value(), "d.mp3");
}

TEST(Node, CopyIsDeepAndPreorderWalksParentsFirst) {
    Node source;
    Node* a = source.appendChild("A", "1");
    a->appendChild("A1", "");
    a->appendChild("A2", "")->appendChild("A21", "");
    source.appendChild("B", "2");
    Node copy;
    copy.copyChildrenFrom(source);
    a->setText("A", "changed");
    EXPECT_STREQ(copy.firstChild()->value(), "1");

    std::string walk;
    for (Node* node = copy.firstChild(); node; node = node->nextInPreorder(true)) walk += std::string(node->name()) + " ";
    EXPECT_EQ(walk, "A A1 A2 A21 B ");
    EXPECT_EQ(copy.firstChild()->nextInPreorder(false)->name(), std::string("B"));
}

TEST(Node, DestroyingHugeTreesReturnsEverySlot) {
    CachedPool& nodes = nodePool();
    const FixedPool& pool = nodes.pool();
    nodes.flushThisThread();
    const size_t pagesBefore = pool.pageCount();
    {
        Node root;
        Node* deepest = &root;
        for (int level = 0; level < 200000; ++level) deepest = deepest->appendChild("D", "");
        for (int index = 0; index < 1000; ++index) root.appendChild("W", "");
        EXPECT_GT(pool.pageCount(), pagesBefore);
    }
    nodes.flushThisThread();
    EXPECT_EQ(pool.pageCount(), pagesBefore);
}

// Links are slot numbers, so nodes in different 2 MiB blocks (about 58,000 nodes each) must
// find each other, also after emptied blocks went back and others took their table slots.
TEST(Node, LinksHoldAcrossPoolBlocksAndRemappedBlocks) {
    for (int round = 0; round < 2; ++round) {
        Node root;
        std::vector<Node*> groups;
        for (int group = 0; group < 400; ++group) groups.push_back(root.appendChild("G", std::to_string(group)));
        // Children are added group by group in turn, so every group spans every block.
        for (int index = 0; index < 400; ++index) {
            for (Node* group : groups) group->appendChild("C", std::to_string(index));
        }
        // The last group's children move to the first group's front, in reverse.
        while (Node* child = groups.back()->firstChild()) groups.front()->linkChild(groups.back()->unlinkChild(child), true);
        for (size_t group = 0; group < groups.size(); ++group) {
            size_t count = 0;
            for (Node& child : groups[group]->children()) {
                ASSERT_EQ(child.parent(), groups[group]);
                ++count;
            }
            EXPECT_EQ(count, group == 0 ? 800u : group + 1 == groups.size() ? 0u : 400u);
        }
        EXPECT_STREQ(groups.front()->firstChild()->value(), "399");
        EXPECT_STREQ(groups.front()->lastChild()->value(), "399");
        size_t walked = 0;
        for (Node* node = root.firstChild(); node; node = node->nextInPreorder(true)) ++walked;
        EXPECT_EQ(walked, 400u + 400u * 400u);
    }
}

TEST(FixedPool, SlotNumbersRoundTripOverBlocksAndBlocksMappedAgain) {
    FixedPool pool(36, 128, 4);
    std::vector<void*> slots;
    for (int round = 0; round < 3; ++round) {
        while (slots.size() < 150000) slots.push_back(pool.allocate());
        std::set<uint32_t> numbers;
        for (void* slot : slots) {
            const uint32_t number = pool.numberOf(slot);
            ASSERT_NE(number, 0u);
            ASSERT_LT(number, PageBlocks::kNumberLimit);
            ASSERT_EQ(pool.slotOf(number), slot);
            numbers.insert(number);
        }
        EXPECT_EQ(numbers.size(), slots.size());
        EXPECT_EQ(pool.slotOf(0), nullptr);
        // Every other block's worth goes back, so blocks are unmapped and mapped again.
        for (size_t index = 0; index < slots.size(); ++index) {
            if (index / 60000 % 2 == 0) pool.release(std::exchange(slots[index], nullptr));
        }
        std::erase(slots, nullptr);
    }
    for (void* slot : slots) pool.release(slot);
}

// Roots live outside the pool: their children name them by a number of their own, reused
// once a root is gone.
TEST(Node, ChildrenFindRootsHeldAnywhereWhileRootsComeAndGo) {
    std::vector<std::unique_ptr<Node>> roots;
    for (int round = 0; round < 3; ++round) {
        while (roots.size() < 5000) {
            roots.push_back(std::make_unique<Node>());
            roots.back()->appendChild("N", std::to_string(roots.size()))->appendChild("C", "");
        }
        for (const auto& root : roots) {
            ASSERT_EQ(root->firstChild()->parent(), root.get());
            ASSERT_EQ(root->firstChild()->firstChild()->nextInPreorder(true), nullptr);
            ASSERT_EQ(root->next(), nullptr);
        }
        for (size_t index = round; index < roots.size(); index += 3) roots[index].reset();
        std::erase(roots, nullptr);
    }
    Node holder;
    Node inner(&holder);
    EXPECT_EQ(inner.parent(), &holder);
    EXPECT_EQ(holder.unlinkChild(&inner), nullptr);
    EXPECT_EQ(holder.firstChild(), nullptr);
}

TEST(Node, ManyThreadsBuildAndDestroyTreesFromOnePool) {
    std::vector<std::thread> threads;
    for (int thread = 0; thread < 4; ++thread) {
        threads.emplace_back([thread] {
            for (int round = 0; round < 20; ++round) {
                Node root;
                for (int index = 0; index < 2000; ++index) {
                    root.appendChild("T", std::to_string(thread))->appendChild("I", std::to_string(index));
                }
                int index = 0;
                for (const Node& child : root.children()) {
                    ASSERT_EQ(child.parent(), &root);
                    ASSERT_STREQ(child.value(), std::to_string(thread).c_str());
                    ASSERT_EQ(child.firstChild()->parent(), &child);
                    ASSERT_STREQ(child.firstChild()->value(), std::to_string(index++).c_str());
                }
                ASSERT_EQ(index, 2000);
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
}

TEST(FixedPool, ReleasingTheLastSlotOfAPageFreesIt) {
    FixedPool pool(24, 4);
    std::vector<void*> slots;
    for (int index = 0; index < 6; ++index) slots.push_back(pool.allocate());
    EXPECT_EQ(pool.pageCount(), 2u);
    EXPECT_EQ(pool.freeCount(), 2u);
    for (void* slot : slots) EXPECT_EQ(reinterpret_cast<uintptr_t>(slot) % alignof(std::max_align_t), 0u);

    pool.release(slots[4]);
    EXPECT_EQ(pool.allocate(), slots[4]);  // the page with room is used first
    pool.release(slots[4]);
    pool.release(slots[5]);
    EXPECT_EQ(pool.pageCount(), 1u);
    EXPECT_EQ(pool.freeCount(), 0u);
    pool.release(slots[0]);
    EXPECT_EQ(pool.freeCount(), 1u);
    for (int index = 1; index < 4; ++index) pool.release(slots[index]);
    EXPECT_EQ(pool.pageCount(), 0u);
    EXPECT_EQ(pool.freeCount(), 0u);
}

TEST(FixedPool, ManyThreadsShareOnePool) {
    FixedPool pool(sizeof(uint64_t) * 4, 128);
    std::vector<std::thread> threads;
    for (int thread = 0; thread < 4; ++thread) {
        threads.emplace_back([&pool, thread] {
            std::vector<uint64_t*> mine;
            for (int round = 0; round < 20000; ++round) {
                auto* slot = static_cast<uint64_t*>(pool.allocate());
                *slot = static_cast<uint64_t>(thread);
                mine.push_back(slot);
                if (round % 3 == 2) {
                    for (uint64_t* held : mine) {
                        EXPECT_EQ(*held, static_cast<uint64_t>(thread));
                        pool.release(held);
                    }
                    mine.clear();
                }
            }
            for (uint64_t* held : mine) pool.release(held);
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(pool.pageCount(), 0u);
    EXPECT_EQ(pool.freeCount(), 0u);
}
