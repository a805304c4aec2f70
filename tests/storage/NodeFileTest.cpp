#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "storage/FileStore.h"
#include "storage/IniFile.h"
#include "storage/Node.h"
#include "storage/NodeFile.h"
#include "storage/StoreHandle.h"
#include "support/CapturedOutput.h"
#include "support/TempFolder.h"

namespace {

// The tree as "depth:name=value" lines.
std::string dump(const Node& root) {
    std::string out;
    for (Node* node = root.firstChild(); node; node = node->nextInPreorder(true)) {
        int depth = 0;
        for (const Node* up = node->parent(); up != &root; up = up->parent()) ++depth;
        out += std::to_string(depth) + ":" + node->name() + "=" + node->value() + "|";
    }
    return out;
}

std::string parse(std::string_view text) {
    Node root;
    auto handle = storeMemoryHandle(text.data(), text.size());
    readNodeStream(root, *handle);
    return dump(root);
}

class NodeFileTest : public testing::Test {
protected:
    NodeFileTest() {
        store.storeOpen(folder / "database");
        theFileStore = &store;
    }
    ~NodeFileTest() override { theFileStore = nullptr; }

    TempFolder folder;
    FileStore store;
};

}  // namespace

TEST(NodeFileFormat, ValuesSurviveAWriteAndARead) {
    Node root;
    Node* list = root.appendChild("LIST", "Rock");
    list->appendChild("AUDIO", "song one.mp3")->appendChild("TITLE", "  Song One ");
    root.appendChild("NOTE", "line\nbreak");
    root.appendChild("RAW", "{{50%25}}");
    const std::string text = formatNodeTree(root);
    EXPECT_EQ(text, "LIST Rock\n AUDIO song one.mp3\n  TITLE   Song One \nNOTE {{line%0Abreak}}\nRAW {{%7B%7B50%2525%7D%7D}}\n");
    EXPECT_EQ(parse(text), dump(root));
}

TEST(NodeFileFormat, LineEndsAndOddLinesReadAsAlways) {
    EXPECT_EQ(parse("A 1\r\n B 2\r\nC\r\n"), parse("A 1\n B 2\nC\n"));
    EXPECT_EQ(parse("A 1\n B 2\nC\n"), "0:A=1|1:B=2|0:C=|");
    EXPECT_EQ(parse("A\rB\n\rC\r\rD"), "0:A=|0:B=|0:C=|0:D=|");
    EXPECT_EQ(parse("V {{50%25}}\nW {{}}\nX {{a}"), "0:V=50%|0:W=|0:X={{a}|");
    EXPECT_EQ(parse("A\n\n\nB"), "0:A=|0:=|0:B=|");
    EXPECT_EQ(parse("A\n B\n\n\n  C"), "0:A=|1:B=|0:=|");
    EXPECT_EQ(parse(std::string("A x\0y\nB", 7)), "0:A=x|0:B=|");
    EXPECT_EQ(parse(std::string(300, 'n') + " v"), "0:" + std::string(254, 'n') + "=v|");
}

TEST(NodeFileFormat, LinesTooDeepAreSkippedAndTheRestIsRead) {
    const std::string text = "A\n B\n   C\n    C2\n  B2\nD\n";
    Node root;
    auto handle = storeMemoryHandle(text.data(), text.size());
    EXPECT_EQ(readNodeStream(root, *handle), NodeRead::kLinesSkipped);
    EXPECT_EQ(dump(root), "0:A=|1:B=|2:B2=|0:D=|");
    EXPECT_EQ(storeTell(*handle), text.size());

    const std::string whole = "A\n B\n  C\nD\n";
    Node other;
    EXPECT_EQ(readNodeStream(other, *storeMemoryHandle(whole.data(), whole.size())), NodeRead::kWhole);
}

TEST(NodeFileFormat, EmptyNamesDoNotShiftTheTreeWhenWrittenBack) {
    const std::string text = "\n X 1\nA\n\n\nB\n";
    Node root;
    auto handle = storeMemoryHandle(text.data(), text.size());
    readNodeStream(root, *handle);
    ASSERT_EQ(dump(root), "0:=|1:X=1|0:A=|0:=|0:B=|");
    root.firstChild()->appendChild("", "lost");
    EXPECT_EQ(parse(formatNodeTree(root)), "0:=|1:X=1|0:A=|0:=|0:B=|");
}

TEST_F(NodeFileTest, FilesLoadIntoTheStoreOrFromDiskAndLoadingAppends) {
    Node root;
    root.appendChild("FILTER", "$rate >= 4");
    ASSERT_TRUE(saveNodeFile(root, "/music/a/playlist.vmr", false));
    ASSERT_TRUE(saveNodeFile(root, folder / "filters.vmr", true));
    EXPECT_EQ(TempFolder::read(folder / "filters.vmr"), "FILTER $rate >= 4\n");

    Node loaded;
    EXPECT_TRUE(loadNodeFile(loaded, "/music/a/playlist.vmr", false));
    EXPECT_TRUE(loadNodeFile(loaded, folder / "filters.vmr", true));
    EXPECT_EQ(dump(loaded), "0:FILTER=$rate >= 4|0:FILTER=$rate >= 4|");

    Node untouched;
    EXPECT_FALSE(loadNodeFile(untouched, folder / "missing.vmr", true));
    EXPECT_EQ(untouched.firstChild(), nullptr);
    EXPECT_FALSE(saveNodeFile(root, folder / "no/such/folder.vmr", true));
}

TEST_F(NodeFileTest, IniFilesGiveOneUpperCaseKeyPerSetting) {
    const std::string path = folder / "serversettings.ini";
    TempFolder::write(path, "port = 1300\r\n#PORT=1\r\n=5\r\naccess=1.2.3.4\r\nPort=1400\r\n\tgap=x\r\n late=1\r\nAFTER=1\r\n");
    Node root;
    ASSERT_TRUE(loadIniFile(root, path));
    EXPECT_EQ(dump(root), "0:PORT=1400|0:ACCESS=1.2.3.4|0:GAP=x|");

    Node spaced;
    TempFolder::write(path, "port = 1300\n");
    loadIniFile(spaced, path);
    EXPECT_STREQ(spaced.childValue("PORT", nullptr), " 1300");
    EXPECT_EQ(std::atoi(spaced.childValue("PORT", "0")), 1300);
    EXPECT_FALSE(loadIniFile(spaced, folder / "missing.ini"));
}

// One over-indented line once made the reader drop the rest, and the next save kept only
// the part before it.
TEST_F(NodeFileTest, ADamagedOwnFileIsKeptBesideItAndReadPastTheFault) {
    const std::string path = folder / "filters.vmr";
    const std::string damaged = "SEARCH Rate 5\n QUERY $rate == 5\n    QUERY lost\nSEARCH New\n QUERY $new\n";
    TempFolder::write(path, damaged);
    Node filters;
    EXPECT_EQ(capturedOutput([&] { EXPECT_TRUE(loadOwnNodeFile(filters, path)); }),
              "Damaged file " + path + ", kept as " + path + ".damaged\n");
    EXPECT_EQ(dump(filters), "0:SEARCH=Rate 5|1:QUERY=$rate == 5|0:SEARCH=New|1:QUERY=$new|");
    EXPECT_EQ(TempFolder::read(path + ".damaged"), damaged);

    // Saved whole and read again: nothing to keep. Damaged again: the first copy stays.
    ASSERT_TRUE(saveNodeFile(filters, path, true));
    Node again;
    EXPECT_EQ(capturedOutput([&] { loadOwnNodeFile(again, path); }), "");
    TempFolder::write(path, "A\n   B\n");
    EXPECT_EQ(capturedOutput([&] { loadOwnNodeFile(again, path); }),
              "Damaged file " + path + ", kept as " + path + ".damaged.2\n");
    EXPECT_EQ(TempFolder::read(path + ".damaged"), damaged);

    // Too big to read (sparse, so cheap): moved aside whole, since a save would replace it.
    const std::string huge = folder / "queue.vmr";
    TempFolder::write(huge, "AUDIO /a.mp3\n");
    std::filesystem::resize_file(huge, 5ull << 30);
    Node none;
    EXPECT_EQ(capturedOutput([&] { EXPECT_FALSE(loadOwnNodeFile(none, huge)); }),
              "Damaged file " + huge + ", kept as " + huge + ".damaged\n");
    EXPECT_FALSE(std::filesystem::exists(huge));
    EXPECT_EQ(std::filesystem::file_size(huge + ".damaged"), 5ull << 30);
    EXPECT_FALSE(loadOwnNodeFile(none, folder / "missing.vmr"));
}
