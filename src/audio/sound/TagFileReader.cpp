#include "audio/sound/TagFileReader.h"

#include <taglib/asffile.h>
#include <taglib/fileref.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/infotag.h>
#include <taglib/mpegfile.h>
#include <taglib/textidentificationframe.h>
#include <taglib/tpropertymap.h>
#include <taglib/wavfile.h>

#include <memory>
#include <string>

#include "audio/sound/CommonTagNames.h"
#include "audio/sound/EmbeddedPicture.h"
#include "audio/sound/Id3v2Properties.h"
#include "audio/sound/MediaInput.h"
#include "audio/sound/SoundResult.h"
#include "audio/sound/TagFileStream.h"
#include "audio/sound/TagList.h"
#include "text/Encoding.h"

namespace {

// RIFF INFO states no encoding: UTF-8 when the bytes are valid UTF-8, else ISO-8859-1.
class RiffInfoText : public TagLib::RIFF::Info::StringHandler {
public:
    TagLib::String parse(const TagLib::ByteVector& data) const override {
        std::string_view bytes(data.data(), data.size());
        bytes = bytes.substr(0, bytes.find('\0'));
        const auto encoding = isValidUtf8(bytes) ? TagLib::String::UTF8 : TagLib::String::Latin1;
        return TagLib::String(TagLib::ByteVector(bytes.data(), static_cast<unsigned>(bytes.size())), encoding)
            .stripWhiteSpace();
    }
    TagLib::ByteVector render(const TagLib::String& text) const override { return text.data(TagLib::String::UTF8); }
};

// TagLib takes one handler for the whole process; it is installed before the first read.
void installRiffInfoText() {
    static const RiffInfoText handler;
    [[maybe_unused]] static const bool installed = (TagLib::RIFF::Info::Tag::setStringHandler(&handler), true);
}

void addProperties(const TagLib::PropertyMap& properties, TagList& tags) {
    for (const auto& [key, values] : properties) {
        const std::string_view name = commonTagName(key.to8Bit());
        if (!name.empty() && !values.isEmpty()) tags.set(name, TagType::kUtf8, values.front().to8Bit(true));
    }
}

// ID3 genres may be numbers: they are reported as such, for the library's own genre
// table to name. ID3v2 wins over ID3v1.
void addId3Genre(TagLib::MPEG::File& file, TagList& tags) {
    if (file.hasID3v2Tag()) {
        const TagLib::ID3v2::FrameList& frames = file.ID3v2Tag()->frameListMap()["TCON"];
        const auto* genre =
            frames.isEmpty() ? nullptr : dynamic_cast<TagLib::ID3v2::TextIdentificationFrame*>(frames.front());
        if (genre && !genre->fieldList().isEmpty()) {
            tags.set("GENRE", TagType::kUtf8, genre->fieldList().front().to8Bit(true));
            return;
        }
    }
    constexpr unsigned kNoGenre = 255;
    if (file.hasID3v1Tag() && file.ID3v1Tag()->genreNumber() != kNoGenre) {
        tags.set("GENRE", TagType::kUtf8, std::to_string(file.ID3v1Tag()->genreNumber()));
    }
}

// TagLib gives an MPEG file's first non-empty tag only; ID3v1 fills what ID3v2 lacks.
void addId3v1(TagLib::MPEG::File& file, TagList& tags) {
    if (file.hasID3v1Tag()) addProperties(file.ID3v1Tag()->properties(), tags);
}

// ASF attributes beyond the ones TagLib maps: "WM/Year", and the plain "date" some
// encoders write.
void addAsfAttributes(TagLib::ASF::File& file, TagList& tags) {
    if (!file.tag()) return;
    for (const auto& [name, attributes] : file.tag()->attributeListMap()) {
        if (attributes.isEmpty()) continue;
        std::string field = name.upper().to8Bit(true);
        if (field.starts_with("WM/")) field.erase(0, 3);
        const std::string_view reported = commonTagName(field);
        const TagLib::ASF::Attribute& attribute = attributes.front();
        if (!reported.empty() && attribute.type() == TagLib::ASF::Attribute::UnicodeType) {
            tags.set(reported, TagType::kUtf8, attribute.toString().to8Bit(true));
        }
    }
}

// Many writers put a WAV file's track number under ITRK, which TagLib does not read.
void addRiffTrack(TagLib::RIFF::WAV::File& file, TagList& tags) {
    if (!file.hasInfoTag()) return;
    const TagLib::String track = file.InfoTag()->fieldText("ITRK");
    if (!track.isEmpty()) tags.set("TRACK", TagType::kUtf8, track.to8Bit(true));
}

// What file.properties() gives: for an MPEG file, its ID3v2 tag's unless that is empty.
TagLib::PropertyMap fileProperties(TagLib::File& file, TagLib::MPEG::File* mpeg) {
    if (mpeg && mpeg->hasID3v2Tag() && !mpeg->ID3v2Tag()->isEmpty()) {
        if (auto properties = plainId3v2Properties(*mpeg->ID3v2Tag())) return *std::move(properties);
    }
    return file.properties();
}

void addTagLibTags(TagLib::File& file, TagList& tags) {
    // The fallbacks go in first, so that the file's own properties replace them.
    auto* mpeg = dynamic_cast<TagLib::MPEG::File*>(&file);
    if (mpeg) addId3v1(*mpeg, tags);
    if (auto* asf = dynamic_cast<TagLib::ASF::File*>(&file)) addAsfAttributes(*asf, tags);
    if (auto* wav = dynamic_cast<TagLib::RIFF::WAV::File*>(&file)) addRiffTrack(*wav, tags);
    addProperties(fileProperties(file, mpeg), tags);
    if (mpeg) addId3Genre(*mpeg, tags);
}

// FFmpeg takes an MPEG file's tags from an ID3v2 tag at its start and an ID3v1 tag at its
// end alone: a file that starts with a frame and ends without "TAG" holds none for it
// either, and opening it would try every demuxer first (costing more than TagLib's read).
bool ffmpegFindsNoTags(const TagLib::File& file, TagFileStream& stream) {
    if (!dynamic_cast<const TagLib::MPEG::File*>(&file)) return false;
    stream.seek(0);
    const TagLib::ByteVector start = stream.readBlock(2);
    if (start.size() < 2 || static_cast<unsigned char>(start[0]) != 0xFF ||
        (static_cast<unsigned char>(start[1]) & 0xE0) != 0xE0) {
        return false;
    }
    constexpr long kId3v1Bytes = 128;
    if (stream.length() < kId3v1Bytes) return true;
    stream.seek(-kId3v1Bytes, TagLib::IOStream::End);
    return !stream.readBlock(3).startsWith("TAG");
}

}  // namespace

int readTagFile(std::string_view path, bool accurateLength, TagList& tags, TagFileFacts& facts) {
    installRiffInfoText();
    TagFileStream stream{std::string(path)};
    if (stream.isOpen()) facts.bytes = static_cast<uint64_t>(stream.length());
    const TagLib::FileRef file(&stream, true, TagLib::AudioProperties::Fast);
    const bool tagged = !file.isNull();
    if (tagged) addTagLibTags(*file.file(), tags);
    // TagLib reads no Matroska, yet its sniffing may take one holding FLAC for a FLAC file
    // without tags: FFmpeg then reads the container's tags.
    const bool tagsFound = tags.at(0).has_value();
    if (tagged && embeddedPicture(*file.file())) tags.set("PICTURE", TagType::kUtf8, "1");
    const int taggedLength = tagged && file.audioProperties() ? file.audioProperties()->lengthInMilliseconds() : 0;
    const bool lengthKnown = taggedLength > 0 && !accurateLength;
    if (lengthKnown) {
        // A file FFmpeg cannot open keeps the tags TagLib found: none.
        if (!tagsFound && !ffmpegFindsNoTags(*file.file(), stream)) MediaInput::readFileTags(path, tags);
        facts.lengthMs = static_cast<uint32_t>(taggedLength);
        return kSoundOk;
    }
    std::unique_ptr<MediaInput> input;
    const int result = MediaInput::openFile(path, input);
    if (result != kSoundOk) return result;
    if (!tagsFound) input->copyTags(tags);
    facts.lengthMs = input->lengthMs();
    return kSoundOk;
}
