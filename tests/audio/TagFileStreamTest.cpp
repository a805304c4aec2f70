#include <gtest/gtest.h>

#include <taglib/tfilestream.h>

#include <random>
#include <string>

#include "audio/sound/TagFileStream.h"
#include "support/TempFolder.h"

namespace {

// Whatever TagLib asks, in any order, it must get what its own file stream gives: the
// reads at the start and the end that the windows hold, reads across and past them, reads
// past the end, and places before the start that are refused.
TEST(TagFileStream, ReadsWhatTagLibsOwnStreamReads) {
    TempFolder folder;
    std::mt19937 random(17);
    for (const size_t size : {0u, 100u, 20000u, 150000u}) {
        std::string bytes(size, '\0');
        for (char& byte : bytes) byte = static_cast<char>(random());
        const std::string path = folder / ("song" + std::to_string(size) + ".mp3");
        TempFolder::write(path, bytes);
        TagLib::FileStream theirs(path.c_str(), true);
        TagFileStream ours(path);
        ASSERT_TRUE(ours.isOpen());
        EXPECT_TRUE(ours.readOnly());
        EXPECT_EQ(ours.length(), theirs.length());
        std::uniform_int_distribution<long> place(-2000, static_cast<long>(size) + 2000);
        std::uniform_int_distribution<int> from(0, 2);
        const unsigned long lengths[] = {0, 1, 3, 10, 128, 1024, 4096, 17000, 40000, 1u << 30};
        for (int step = 0; step < 3000; ++step) {
            const auto position = static_cast<TagLib::IOStream::Position>(from(random));
            const long offset = position == TagLib::IOStream::Beginning ? place(random) : place(random) / 4 - 500;
            theirs.seek(offset, position);
            ours.seek(offset, position);
            ASSERT_EQ(ours.tell(), theirs.tell()) << size << " step " << step;
            const unsigned long length = lengths[random() % std::size(lengths)];
            ASSERT_EQ(ours.readBlock(length), theirs.readBlock(length)) << size << " step " << step;
            ASSERT_EQ(ours.tell(), theirs.tell()) << size << " step " << step;
        }
    }
    TagFileStream missing(folder / "missing.mp3");
    EXPECT_FALSE(missing.isOpen());
    EXPECT_EQ(missing.length(), 0);
    EXPECT_TRUE(missing.readBlock(10).isEmpty());
}

}  // namespace
