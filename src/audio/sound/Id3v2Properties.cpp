#include "audio/sound/Id3v2Properties.h"

#include <taglib/attachedpictureframe.h>
#include <taglib/id3v2tag.h>
#include <taglib/textidentificationframe.h>

#include <functional>
#include <map>
#include <string>
#include <string_view>

namespace {

using TagLib::ID3v2::TextIdentificationFrame;

const TextIdentificationFrame* plainTextFrame(const TagLib::ID3v2::Frame& frame) {
    const TagLib::ByteVector& id = frame.frameID();
    if (id.isEmpty() || id[0] != 'T' || id == "TXXX" || id == "TIPL" || id == "TMCL") return nullptr;
    return dynamic_cast<const TextIdentificationFrame*>(&frame);
}

// TagLib finds a frame's property name by comparing its ID against a table of names, and
// builds a map for every frame; the name is learnt once per ID and thread instead.
TagLib::String propertyName(const TextIdentificationFrame& frame) {
    thread_local std::map<std::string, TagLib::String, std::less<>> names;
    const TagLib::ByteVector& id = frame.frameID();
    const std::string_view key(id.data(), id.size());
    if (const auto found = names.find(key); found != names.end()) return found->second;
    const TagLib::PropertyMap properties = frame.asProperties();
    if (properties.size() != 1) return {};
    return names.emplace(std::string(key), properties.begin()->first).first->second;
}

}  // namespace

std::optional<TagLib::PropertyMap> plainId3v2Properties(const TagLib::ID3v2::Tag& tag) {
    TagLib::PropertyMap properties;
    for (const TagLib::ID3v2::Frame* frame : tag.frameList()) {
        if (dynamic_cast<const TagLib::ID3v2::AttachedPictureFrame*>(frame)) continue;  // no property
        const TextIdentificationFrame* text = plainTextFrame(*frame);
        if (!text) return std::nullopt;
        const TagLib::String name = propertyName(*text);
        // Genre numbers and dates are rewritten by the frame itself.
        if (name.isEmpty() || name == "GENRE" || name == "DATE") {
            properties.merge(text->asProperties());
        } else {
            properties.insert(name, text->fieldList());
        }
    }
    return properties;
}
