// The descriptive header objects: texts, attributes, codecs, scripts and markers.
#include "wmv/asf/asf_field_cursor.h"
#include "wmv/asf/asf_header_parse.h"

namespace korvel::asf {

void ParseContentDescription(const ByteView& body, AsfHeader& header) {
  FieldCursor c{body};
  const auto title = c.U16(), author = c.U16(), copyright = c.U16(), description = c.U16(), rating = c.U16();
  if (!rating) return;
  AsfContentDescription out;
  const auto t = c.Text(*title);
  const auto a = c.Text(*author);
  const auto r = c.Text(*copyright);
  const auto d = c.Text(*description);
  const auto g = c.Text(*rating);
  if (!g) return;  // each read fails once one before it failed
  header.contentDescription = AsfContentDescription{*t, *a, *r, *d, *g};
}

void ParseExtendedContentDescription(const ByteView& body, AsfHeader& header) {
  FieldCursor c{body};
  const auto count = c.U16();
  for (uint32_t i = 0; count && i < *count; ++i) {
    const auto nameLength = c.U16();
    if (!nameLength) return;
    const auto name = c.Text(*nameLength);
    if (!name) return;
    const auto type = c.U16(), valueLength = c.U16();
    if (!valueLength) return;
    const auto value = c.Bytes(*valueLength);
    if (!value) return;
    AsfDescriptor d;
    d.name = *name;
    d.diskType = *type;
    d.value = CopyOf(*value);
    header.descriptors.push_back(std::move(d));
  }
}

void ParseCodecList(const ByteView& body, AsfHeader& header) {
  FieldCursor c{body};
  const auto reserved = c.GuidField();
  const auto count = c.U32();
  for (uint64_t i = 0; reserved && count && i < *count; ++i) {
    AsfCodecEntry entry;
    const auto type = c.U16();
    const auto nameChars = c.U16();
    if (!nameChars) return;
    const auto name = c.Text(2ull * *nameChars);
    if (!name) return;
    const auto descriptionChars = c.U16();
    if (!descriptionChars) return;
    const auto description = c.Text(2ull * *descriptionChars);
    if (!description) return;
    const auto infoLength = c.U16();
    if (!infoLength) return;
    const auto info = c.Bytes(*infoLength);
    if (!info) return;
    header.codecs.push_back({*type, *name, *description, CopyOf(*info)});
  }
}

void ParseScriptCommands(const ByteView& body, AsfHeader& header) {
  FieldCursor c{body};
  const auto reserved = c.GuidField();
  const auto commandCount = c.U16(), typeCount = c.U16();
  if (!reserved || !typeCount) return;
  std::vector<std::string> types;
  for (uint32_t i = 0; i < *typeCount; ++i) {
    const auto chars = c.U16();
    if (!chars) return;
    const auto type = c.Text(2ull * *chars);
    if (!type) return;
    types.push_back(*type);
  }
  for (uint32_t i = 0; i < *commandCount; ++i) {
    const auto time = c.U32();
    const auto typeIndex = c.U16();
    const auto chars = c.U16();
    if (!chars) return;
    const auto command = c.Text(2ull * *chars);
    if (!command || *typeIndex >= types.size()) return;
    header.scripts.push_back({types[*typeIndex], *command, uint64_t{*time} * 10000});
  }
}

void ParseMarkers(const ByteView& body, AsfHeader& header) {
  FieldCursor c{body};
  const auto reserved = c.GuidField();
  const auto count = c.U32();
  const auto reserved2 = c.U16();
  const auto nameLength = c.U16();
  if (!reserved || !nameLength || !c.Bytes(*nameLength)) return;
  (void)reserved2;
  for (uint64_t i = 0; i < *count; ++i) {
    const auto offset = c.U64(), time = c.U64();
    const auto entryLength = c.U16();
    const auto sendTime = c.U32(), flags = c.U32(), chars = c.U32();
    if (!chars) return;
    const auto name = c.Text(2ull * *chars);
    if (!name) return;
    (void)entryLength;
    (void)flags;
    header.markers.push_back({*name, *time, *offset, *sendTime});
  }
}

}  // namespace korvel::asf
