// The header extension: extended stream properties and the two metadata objects.
#include "wmv/asf/asf_field_cursor.h"
#include "wmv/asf/asf_guids.h"
#include "wmv/asf/asf_header_parse.h"

namespace korvel::asf {
namespace {


bool ParseStreamNames(FieldCursor& c, uint16_t count) {
  for (uint32_t i = 0; i < count; ++i) {
    const auto language = c.U16();
    const auto length = c.U16();
    if (!length || !c.Bytes(*length)) return false;
    (void)language;
  }
  return true;
}

bool ParsePayloadExtensions(FieldCursor& c, uint16_t count, std::vector<AsfPayloadExtensionSystem>& out) {
  for (uint32_t i = 0; i < count; ++i) {
    const auto id = c.GuidField();
    const auto size = c.U16();
    const auto infoLength = c.U32();
    if (!infoLength) return false;
    const auto info = c.Bytes(*infoLength);
    if (!info) return false;
    out.push_back({*id, *size, CopyOf(*info)});
  }
  return true;
}

bool ParseExtendedStreamProperties(const ByteView& body, AsfExtendedStreamProperties& out) {
  FieldCursor c{body};
  const auto start = c.U64(), end = c.U64();
  const auto rate = c.U32(), buffer = c.U32(), fullness = c.U32();
  const auto altRate = c.U32(), altBuffer = c.U32(), altFullness = c.U32();
  const auto maxObject = c.U32(), flags = c.U32();
  const auto number = c.U16(), language = c.U16();
  const auto timePerFrame = c.U64();
  const auto nameCount = c.U16(), extensionCount = c.U16();
  if (!extensionCount) return false;
  out = {*start, *end, *rate, *buffer, *fullness, *altRate, *altBuffer, *altFullness, *maxObject, *flags,
         static_cast<uint16_t>(*number & 0x7F), *language, *timePerFrame, {}, std::nullopt};
  if (!ParseStreamNames(c, *nameCount) || !ParsePayloadExtensions(c, *extensionCount, out.payloadExtensions)) {
    return false;
  }
  if (c.Remaining() == 0) return true;
  // What follows is an embedded stream properties object, complete with its head.
  const auto rest = c.Bytes(c.Remaining());
  std::vector<AsfObjectView> objects;
  if (!SplitObjects(*rest, objects)) return false;
  if (!objects.empty() && objects.front().id == kStreamPropertiesObject) {
    AsfStreamProperties embedded;
    if (!ParseStreamProperties(objects.front().body, embedded)) return false;
    out.embeddedStream = std::move(embedded);
  }
  return true;
}

// The metadata and metadata library objects share one record layout; the library's first
// field is a language index where the metadata object has a reserved word.
void ParseMetadataRecords(const ByteView& body, AsfDescriptorSource source, AsfHeader& header) {
  FieldCursor c{body};
  const auto count = c.U16();
  for (uint32_t i = 0; count && i < *count; ++i) {
    const auto language = c.U16(), stream = c.U16(), nameLength = c.U16(), type = c.U16();
    const auto dataLength = c.U32();
    if (!dataLength) return;
    const auto name = c.Text(*nameLength);
    if (!name) return;
    const auto data = c.Bytes(*dataLength);
    if (!data) return;
    AsfDescriptor d;
    d.source = source;
    d.streamNumber = *stream;
    d.languageIndex = source == AsfDescriptorSource::kMetadataLibrary ? *language : 0;
    d.name = *name;
    d.diskType = *type;
    d.value = CopyOf(*data);
    header.descriptors.push_back(std::move(d));
  }
}

}  // namespace

bool ParseHeaderExtension(const ByteView& body, AsfHeader& header) {
  FieldCursor c{body};
  const auto reserved1 = c.GuidField();
  const auto reserved2 = c.U16();
  const auto size = c.U32();
  if (!size) return false;
  const auto data = c.Bytes(*size);
  if (!data) return false;
  (void)reserved1;
  (void)reserved2;
  std::vector<AsfObjectView> children;
  if (!SplitObjects(*data, children)) return false;
  for (const auto& child : children) {
    if (child.id == kExtendedStreamPropertiesObject) {
      AsfExtendedStreamProperties ext;
      if (!ParseExtendedStreamProperties(child.body, ext)) return false;
      if (header.ExtendedStream(ext.streamNumber) == nullptr) header.extendedStreams.push_back(std::move(ext));
    } else if (child.id == kMetadataObject) {
      ParseMetadataRecords(child.body, AsfDescriptorSource::kMetadata, header);
    } else if (child.id == kMetadataLibraryObject) {
      ParseMetadataRecords(child.body, AsfDescriptorSource::kMetadataLibrary, header);
    } else if (child.id == kAdvancedContentEncryptionObject) {
      header.protectedContent = true;
    }
  }
  return true;
}

}  // namespace korvel::asf
