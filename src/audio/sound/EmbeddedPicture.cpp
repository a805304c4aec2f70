#include "audio/sound/EmbeddedPicture.h"

#include <taglib/aifffile.h>
#include <taglib/apefile.h>
#include <taglib/apetag.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/fileref.h>
#include <taglib/flacfile.h>
#include <taglib/id3v2tag.h>
#include <taglib/mp4file.h>
#include <taglib/mpegfile.h>
#include <taglib/oggflacfile.h>
#include <taglib/opusfile.h>
#include <taglib/vorbisfile.h>
#include <taglib/wavfile.h>
#include <taglib/wavpackfile.h>
#include <taglib/xiphcomment.h>

#include <array>
#include <utility>

#include "library/FileKinds.h"

namespace {

std::optional<EmbeddedPicture> picture(const TagLib::ByteVector& data) {
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 4> kKinds = {{
        {"x.jpg", "image/jpeg"},
        {"x.png", "image/png"},
        {"x.gif", "image/gif"},
        {"x.bmp", "image/bmp"},
    }};
    std::string bytes(data.data(), data.size());
    for (const auto& [name, mimeType] : kKinds) {
        if (looksLikePicture(name, bytes)) return EmbeddedPicture{std::string(mimeType), std::move(bytes)};
    }
    return std::nullopt;
}

// Pictures come in a list with a type each; the front cover wins, else the first usable.
template <typename List, typename IsFront, typename DataOf>
std::optional<EmbeddedPicture> choose(const List& pictures, IsFront isFront, DataOf dataOf) {
    std::optional<EmbeddedPicture> first;
    for (const auto& candidate : pictures) {
        std::optional<EmbeddedPicture> found = picture(dataOf(candidate));
        if (found && isFront(candidate)) return found;
        if (!first) first = std::move(found);
    }
    return first;
}

std::optional<EmbeddedPicture> fromId3v2(TagLib::ID3v2::Tag* tag) {
    if (!tag) return std::nullopt;
    using Frame = TagLib::ID3v2::AttachedPictureFrame;
    return choose(
        tag->frameListMap()["APIC"],
        [](const TagLib::ID3v2::Frame* frame) {
            const auto* apic = dynamic_cast<const Frame*>(frame);
            return apic && apic->type() == Frame::FrontCover;
        },
        [](const TagLib::ID3v2::Frame* frame) {
            const auto* apic = dynamic_cast<const Frame*>(frame);
            return apic ? apic->picture() : TagLib::ByteVector();
        });
}

std::optional<EmbeddedPicture> fromFlacList(const TagLib::List<TagLib::FLAC::Picture*>& pictures) {
    return choose(
        pictures, [](const TagLib::FLAC::Picture* p) { return p->type() == TagLib::FLAC::Picture::FrontCover; },
        [](const TagLib::FLAC::Picture* p) { return p->data(); });
}

std::optional<EmbeddedPicture> fromXiph(TagLib::Ogg::XiphComment* comment) {
    return comment ? fromFlacList(comment->pictureList()) : std::nullopt;
}

std::optional<EmbeddedPicture> fromMp4(TagLib::MP4::Tag* tag) {
    if (!tag || !tag->contains("covr")) return std::nullopt;
    return choose(
        tag->item("covr").toCoverArtList(), [](const TagLib::MP4::CoverArt&) { return false; },
        [](const TagLib::MP4::CoverArt& art) { return art.data(); });
}

// An APEv2 binary item holds a file name, a zero byte, then the picture.
std::optional<EmbeddedPicture> fromApe(TagLib::APE::Tag* tag) {
    if (!tag) return std::nullopt;
    const auto& items = tag->itemListMap();
    const auto cover = items.find("COVER ART (FRONT)");
    if (cover == items.end()) return std::nullopt;
    const TagLib::ByteVector value = cover->second.binaryData();
    const int nameEnd = value.find('\0');
    if (nameEnd < 0) return std::nullopt;
    return picture(value.mid(static_cast<unsigned>(nameEnd) + 1));
}

}  // namespace

std::optional<EmbeddedPicture> embeddedPicture(TagLib::File& file) {
    if (auto* mpeg = dynamic_cast<TagLib::MPEG::File*>(&file)) return fromId3v2(mpeg->ID3v2Tag());
    if (auto* aiff = dynamic_cast<TagLib::RIFF::AIFF::File*>(&file)) return fromId3v2(aiff->tag());
    if (auto* wav = dynamic_cast<TagLib::RIFF::WAV::File*>(&file)) return fromId3v2(wav->ID3v2Tag());
    if (auto* mp4 = dynamic_cast<TagLib::MP4::File*>(&file)) return fromMp4(mp4->tag());
    if (auto* flac = dynamic_cast<TagLib::FLAC::File*>(&file)) {
        if (std::optional<EmbeddedPicture> found = fromFlacList(flac->pictureList())) return found;
        return fromXiph(flac->xiphComment());
    }
    if (auto* vorbis = dynamic_cast<TagLib::Ogg::Vorbis::File*>(&file)) return fromXiph(vorbis->tag());
    if (auto* opus = dynamic_cast<TagLib::Ogg::Opus::File*>(&file)) return fromXiph(opus->tag());
    if (auto* oggFlac = dynamic_cast<TagLib::Ogg::FLAC::File*>(&file)) return fromXiph(oggFlac->tag());
    if (auto* wavPack = dynamic_cast<TagLib::WavPack::File*>(&file)) return fromApe(wavPack->APETag());
    if (auto* ape = dynamic_cast<TagLib::APE::File*>(&file)) return fromApe(ape->APETag());
    return std::nullopt;
}

std::optional<EmbeddedPicture> readEmbeddedPicture(std::string_view path) {
    const std::string name(path);
    const TagLib::FileRef file(name.c_str(), false);
    if (file.isNull()) return std::nullopt;
    return embeddedPicture(*file.file());
}
