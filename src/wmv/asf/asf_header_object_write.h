#pragma once
// The writers of the single header objects, each the inverse of its parser in
// asf_header_parse.h. Every one returns a complete object, head included; the objects that are
// lists give nothing when the list is empty. Counts and lengths that do not fit their fields are
// clamped: entries past the largest count are left out, texts and values past the largest
// length are cut.
#include <algorithm>
#include <cstdint>
#include <limits>
#include <span>
#include <string_view>
#include <vector>

#include "base/guid.h"
#include "wmv/asf/asf_header.h"

namespace korvel::asf {

// n as a field of type T, clamped to its largest value.
template <typename T>
T Clamped(uint64_t n) {
  return static_cast<T>(std::min<uint64_t>(n, std::numeric_limits<T>::max()));
}

// The first bytes of data that a length field of type T can announce.
template <typename T>
std::span<const uint8_t> Fitting(std::span<const uint8_t> data) {
  return data.first(Clamped<T>(data.size()));
}

// A text as the objects store it: UTF-16LE ending in a NUL unit, nothing at all for an empty
// text, cut to at most maxBytes (whole units).
std::vector<uint8_t> StoredText(std::string_view utf8, uint64_t maxBytes);

// GUID, 64-bit size (the 24-byte head included), body.
std::vector<uint8_t> AsfObject(const Guid& id, std::span<const uint8_t> body);
// The header object around childCount children already written one after another.
std::vector<uint8_t> HeaderObjectAround(uint32_t childCount, std::span<const uint8_t> children);
// The header extension object around its children already written one after another.
std::vector<uint8_t> HeaderExtensionAround(std::span<const uint8_t> children);

std::vector<uint8_t> FilePropertiesObject(const AsfFileProperties& file);
std::vector<uint8_t> StreamPropertiesObject(const AsfStreamProperties& stream);
std::vector<uint8_t> StreamBitratePropertiesObject(const std::vector<AsfStreamBitrate>& bitrates);

// Header extension children.
std::vector<uint8_t> ExtendedStreamPropertiesObject(const AsfExtendedStreamProperties& stream);
// The descriptors of the given source (kMetadata or kMetadataLibrary) as that object.
std::vector<uint8_t> MetadataObject(const std::vector<AsfDescriptor>& descriptors, AsfDescriptorSource source);

// The descriptive objects.
std::vector<uint8_t> ContentDescriptionObject(const AsfContentDescription& description);
// The descriptors whose source is the extended content description.
std::vector<uint8_t> ExtendedContentDescriptionObject(const std::vector<AsfDescriptor>& descriptors);
std::vector<uint8_t> CodecListObject(const std::vector<AsfCodecEntry>& codecs);
std::vector<uint8_t> ScriptCommandObject(const std::vector<AsfScriptCommand>& scripts);
std::vector<uint8_t> MarkerObject(const std::vector<AsfMarker>& markers);

}  // namespace korvel::asf
