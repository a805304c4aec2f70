#pragma once
// An ID3v2 tag's properties as TagLib's own properties() gives them, built faster for the
// usual tag: text frames and pictures alone.

#include <taglib/tpropertymap.h>

#include <optional>

namespace TagLib::ID3v2 {
class Tag;
}

// The same names and values as tag.properties(), or nullopt when the tag holds a frame of
// another kind (comments, user texts, people lists...), which the caller then leaves to
// TagLib. Safe on any thread.
std::optional<TagLib::PropertyMap> plainId3v2Properties(const TagLib::ID3v2::Tag& tag);
