#include <gtest/gtest.h>

#include <taglib/attachedpictureframe.h>
#include <taglib/commentsframe.h>
#include <taglib/id3v2tag.h>
#include <taglib/textidentificationframe.h>

#include <optional>
#include <string>

#include "audio/sound/Id3v2Properties.h"

namespace {

// The names and values; which frames TagLib could not name is no property.
std::string properties(TagLib::PropertyMap map) {
    map.unsupportedData().clear();
    return map.toString().to8Bit(true);
}

void addText(TagLib::ID3v2::Tag& tag, const char* id, const TagLib::StringList& values) {
    auto frame = std::make_unique<TagLib::ID3v2::TextIdentificationFrame>(id, TagLib::String::UTF8);
    frame->setText(values);
    tag.addFrame(frame.release());
}

// The map must be the one TagLib gives, including what its frames rewrite (genre numbers,
// the time in a date), a name met twice, a frame TagLib names nothing, and a second tag read
// on the same thread; a frame of another kind leaves the tag to TagLib.
TEST(Id3v2Properties, SameMapAsTagLibsOwn) {
    for (int round = 0; round < 2; ++round) {
        TagLib::ID3v2::Tag tag;
        addText(tag, "TIT2", TagLib::String("Ψυχή", TagLib::String::UTF8));
        addText(tag, "TPE1", TagLib::StringList(TagLib::String("One")).append("Two"));
        addText(tag, "TDRC", TagLib::String("2001-02-03T04:05"));
        addText(tag, "TCON", TagLib::StringList(TagLib::String("17")).append("Noise"));
        addText(tag, "TRCK", TagLib::String("3/9"));
        addText(tag, "TPE2", TagLib::String("Band"));
        addText(tag, "TIT2", TagLib::String("Again"));
        addText(tag, "TZZZ", TagLib::String("unnamed"));
        tag.addFrame(new TagLib::ID3v2::AttachedPictureFrame);
        const std::optional<TagLib::PropertyMap> ours = plainId3v2Properties(tag);
        ASSERT_TRUE(ours.has_value());
        EXPECT_EQ(properties(*ours), properties(tag.properties())) << round;
        EXPECT_EQ(ours->value("GENRE").toString(";").to8Bit(true), "Rock;Noise");
        EXPECT_EQ(ours->value("DATE").toString().to8Bit(true), "2001-02-03 04:05");

        tag.addFrame(new TagLib::ID3v2::CommentsFrame);
        EXPECT_FALSE(plainId3v2Properties(tag).has_value());
    }
    EXPECT_TRUE(plainId3v2Properties(TagLib::ID3v2::Tag())->isEmpty());
}

}  // namespace
