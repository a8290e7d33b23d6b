// The descriptive header objects: texts, attributes, codecs, scripts and markers.
#include <algorithm>
#include <string>

#include "base/byte_appender.h"
#include "wmv/asf/asf_guids.h"
#include "wmv/asf/asf_header_object_write.h"

namespace korvel::asf {
namespace {

// The reserved GUIDs the format puts at the start of three of these objects.
constexpr Guid kCodecListReserved =
    MakeGuid(0x86D15241, 0x311D, 0x11D0, {0xA3, 0xA4, 0x00, 0xA0, 0xC9, 0x03, 0x48, 0xF6});
constexpr Guid kScriptCommandReserved =
    MakeGuid(0x4B1ACBE3, 0x100B, 0x11D0, {0xA3, 0x9B, 0x00, 0xA0, 0xC9, 0x03, 0x48, 0xF6});
constexpr Guid kMarkerReserved = MakeGuid(0x4CFEDB20, 0x75F6, 0x11CF, {0x9C, 0x0F, 0x00, 0xA0, 0xC9, 0x03, 0x49, 0xCB});

// A text whose length field of type T counts 16-bit units, the NUL included: the count, then
// the text.
template <typename T>
void AppendCountedText(ByteAppender& out, std::string_view utf8) {
  const auto text = StoredText(utf8, 2 * uint64_t{std::numeric_limits<T>::max()});
  if constexpr (sizeof(T) == 2) {
    out.U16(text.size() / 2);
  } else {
    out.U32(text.size() / 2);
  }
  out.Raw(text);
}

}  // namespace

std::vector<uint8_t> ContentDescriptionObject(const AsfContentDescription& cd) {
  const std::vector<uint8_t> texts[] = {StoredText(cd.title, UINT16_MAX), StoredText(cd.author, UINT16_MAX),
                                        StoredText(cd.copyright, UINT16_MAX), StoredText(cd.description, UINT16_MAX),
                                        StoredText(cd.rating, UINT16_MAX)};
  ByteAppender body;
  for (const auto& t : texts) body.U16(t.size());
  for (const auto& t : texts) body.Raw(t);
  return AsfObject(kContentDescriptionObject, body.Get());
}

std::vector<uint8_t> ExtendedContentDescriptionObject(const std::vector<AsfDescriptor>& descriptors) {
  std::vector<const AsfDescriptor*> entries;
  for (const auto& d : descriptors) {
    if (d.source == AsfDescriptorSource::kExtendedContentDescription && entries.size() < UINT16_MAX)
      entries.push_back(&d);
  }
  if (entries.empty()) return {};
  ByteAppender body;
  body.U16(entries.size());
  for (const AsfDescriptor* d : entries) {
    const auto name = StoredText(d->name, UINT16_MAX);
    const auto value = Fitting<uint16_t>(d->value);
    body.U16(name.size()).Raw(name).U16(d->diskType).U16(value.size()).Raw(value);
  }
  return AsfObject(kExtendedContentDescriptionObject, body.Get());
}

std::vector<uint8_t> CodecListObject(const std::vector<AsfCodecEntry>& codecs) {
  if (codecs.empty()) return {};
  const uint32_t count = Clamped<uint32_t>(codecs.size());
  ByteAppender body;
  body.Id(kCodecListReserved).U32(count);
  for (size_t i = 0; i < count; ++i) {
    const auto& c = codecs[i];
    const auto info = Fitting<uint16_t>(c.info);
    body.U16(c.type);
    AppendCountedText<uint16_t>(body, c.name);
    AppendCountedText<uint16_t>(body, c.description);
    body.U16(info.size()).Raw(info);
  }
  return AsfObject(kCodecListObject, body.Get());
}

std::vector<uint8_t> ScriptCommandObject(const std::vector<AsfScriptCommand>& scripts) {
  if (scripts.empty()) return {};
  const uint16_t count = Clamped<uint16_t>(scripts.size());
  // Each command names its type by index into the list of distinct types.
  std::vector<std::string> types;
  std::vector<uint16_t> typeIndex;
  for (size_t i = 0; i < count; ++i) {
    const auto it = std::find(types.begin(), types.end(), scripts[i].type);
    typeIndex.push_back(static_cast<uint16_t>(it - types.begin()));
    if (it == types.end()) types.push_back(scripts[i].type);
  }
  ByteAppender body;
  body.Id(kScriptCommandReserved).U16(count).U16(types.size());
  for (const auto& type : types) AppendCountedText<uint16_t>(body, type);
  for (size_t i = 0; i < count; ++i) {
    body.U32(Clamped<uint32_t>(scripts[i].time / 10000)).U16(typeIndex[i]);
    AppendCountedText<uint16_t>(body, scripts[i].command);
  }
  return AsfObject(kScriptCommandObject, body.Get());
}

std::vector<uint8_t> MarkerObject(const std::vector<AsfMarker>& markers) {
  if (markers.empty()) return {};
  const uint32_t count = Clamped<uint32_t>(markers.size());
  ByteAppender body;
  body.Id(kMarkerReserved).U32(count).U16(0).U16(0);  // reserved word, empty name
  for (size_t i = 0; i < count; ++i) {
    const auto& m = markers[i];
    ByteAppender entry;  // what the entry length counts
    entry.U32(m.sendTime).U32(0);
    AppendCountedText<uint32_t>(entry, m.name);
    body.U64(m.offset).U64(m.time).U16(Clamped<uint16_t>(entry.Size())).Raw(entry.Get());
  }
  return AsfObject(kMarkerObject, body.Get());
}

}  // namespace korvel::asf
