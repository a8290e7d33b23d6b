#include "wmv/asf/asf_header_serialize.h"

#include <algorithm>

#include "base/byte_appender.h"
#include "wmv/asf/asf_guids.h"
#include "wmv/asf/asf_header_object_write.h"
#include "wmv/asf/asf_text.h"

namespace korvel::asf {
namespace {

// The fixed reserved fields of the header object and of the header extension.
constexpr uint8_t kHeaderReserved1 = 0x01;
constexpr uint8_t kHeaderReserved2 = 0x02;
constexpr Guid kHeaderExtensionReserved =
    MakeGuid(0xABD3D211, 0xA9BA, 0x11CF, {0x8E, 0xE6, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65});
constexpr uint16_t kHeaderExtensionReserved2 = 6;

// A stream that an extended stream properties object carries is written there only, so that
// readers which skip such streams keep skipping it.
bool EmbeddedInExtension(const AsfHeader& header, const AsfStreamProperties& stream) {
  return std::any_of(header.extendedStreams.begin(), header.extendedStreams.end(),
                     [&](const auto& ext) { return ext.embeddedStream && *ext.embeddedStream == stream; });
}

// The parser returns descriptors grouped by the object they came from, in file order; writing
// the objects in the order of their first descriptor gives the same sequence back.
bool AppearsBefore(const std::vector<AsfDescriptor>& descriptors, AsfDescriptorSource first,
                   AsfDescriptorSource second) {
  for (const auto& d : descriptors) {
    if (d.source == first) return true;
    if (d.source == second) return false;
  }
  return false;
}

std::vector<uint8_t> HeaderExtension(const AsfHeader& header, const std::vector<std::vector<uint8_t>>& kept) {
  ByteAppender children;
  for (const auto& ext : header.extendedStreams) children.Raw(ExtendedStreamPropertiesObject(ext));
  const bool libraryFirst =
      AppearsBefore(header.descriptors, AsfDescriptorSource::kMetadataLibrary, AsfDescriptorSource::kMetadata);
  const auto metadata = MetadataObject(header.descriptors, AsfDescriptorSource::kMetadata);
  const auto library = MetadataObject(header.descriptors, AsfDescriptorSource::kMetadataLibrary);
  children.Raw(libraryFirst ? library : metadata).Raw(libraryFirst ? metadata : library);
  for (const auto& o : kept) children.Raw(o);
  return HeaderExtensionAround(children.Get());
}

}  // namespace

std::vector<uint8_t> AsfObject(const Guid& id, std::span<const uint8_t> body) {
  return ByteAppender().Id(id).U64(24 + uint64_t{body.size()}).Raw(body).Take();
}

std::vector<uint8_t> HeaderObjectAround(uint32_t childCount, std::span<const uint8_t> children) {
  return ByteAppender()
      .Id(kHeaderObject)
      .U64(30 + uint64_t{children.size()})
      .U32(childCount)
      .U8(kHeaderReserved1)
      .U8(kHeaderReserved2)
      .Raw(children)
      .Take();
}

std::vector<uint8_t> HeaderExtensionAround(std::span<const uint8_t> children) {
  const auto data = Fitting<uint32_t>(children);
  ByteAppender body;
  body.Id(kHeaderExtensionReserved).U16(kHeaderExtensionReserved2).U32(data.size()).Raw(data);
  return AsfObject(kHeaderExtensionObject, body.Get());
}

std::vector<uint8_t> StoredText(std::string_view utf8, uint64_t maxBytes) {
  if (utf8.empty()) return {};
  std::vector<uint8_t> text = Utf8ToUtf16LeTerminated(utf8);
  if (text.size() > maxBytes) text.resize(static_cast<size_t>(maxBytes & ~uint64_t{1}));
  return text;
}

std::vector<uint8_t> FilePropertiesObject(const AsfFileProperties& f) {
  ByteAppender body;
  body.Id(f.fileId).U64(f.fileSize).U64(f.creationDate).U64(f.dataPacketsCount);
  body.U64(f.playDuration).U64(f.sendDuration).U64(f.preroll);
  body.U32(f.flags).U32(f.minPacketSize).U32(f.maxPacketSize).U32(f.maxBitrate);
  return AsfObject(kFilePropertiesObject, body.Get());
}

std::vector<uint8_t> StreamPropertiesObject(const AsfStreamProperties& s) {
  const auto typeData = Fitting<uint32_t>(s.typeData);
  const auto correctionData = Fitting<uint32_t>(s.errorCorrectionData);
  const uint16_t flags = (s.streamNumber & 0x7F) | (s.encrypted ? 0x8000 : 0);
  ByteAppender body;
  body.Id(s.streamType).Id(s.errorCorrectionType).U64(s.timeOffset);
  body.U32(typeData.size()).U32(correctionData.size()).U16(flags).U32(0);
  body.Raw(typeData).Raw(correctionData);
  return AsfObject(kStreamPropertiesObject, body.Get());
}

std::vector<uint8_t> StreamBitratePropertiesObject(const std::vector<AsfStreamBitrate>& bitrates) {
  if (bitrates.empty()) return {};
  const uint16_t count = Clamped<uint16_t>(bitrates.size());
  ByteAppender body;
  body.U16(count);
  for (size_t i = 0; i < count; ++i) body.U16(bitrates[i].streamNumber & 0x7F).U32(bitrates[i].averageBitrate);
  return AsfObject(kStreamBitratePropertiesObject, body.Get());
}

std::vector<uint8_t> SerializeAsfHeader(const AsfHeader& header) { return SerializeAsfHeader(header, {}); }

std::vector<uint8_t> SerializeAsfHeader(const AsfHeader& header, const AsfUnmodelledObjects& kept) {
  std::vector<std::vector<uint8_t>> objects;
  objects.push_back(FilePropertiesObject(header.file));
  const bool textsFirst = !header.descriptors.empty() &&
                          header.descriptors.front().source == AsfDescriptorSource::kExtendedContentDescription;
  if (!textsFirst) objects.push_back(HeaderExtension(header, kept.extension));
  if (header.contentDescription) objects.push_back(ContentDescriptionObject(*header.contentDescription));
  objects.push_back(ExtendedContentDescriptionObject(header.descriptors));
  if (textsFirst) objects.push_back(HeaderExtension(header, kept.extension));
  for (const auto& stream : header.streams) {
    if (!EmbeddedInExtension(header, stream)) objects.push_back(StreamPropertiesObject(stream));
  }
  objects.push_back(CodecListObject(header.codecs));
  objects.push_back(ScriptCommandObject(header.scripts));
  objects.push_back(MarkerObject(header.markers));
  objects.push_back(StreamBitratePropertiesObject(header.bitrates));
  objects.insert(objects.end(), kept.header.begin(), kept.header.end());

  ByteAppender children;
  uint32_t count = 0;
  for (const auto& o : objects) {
    if (o.empty()) continue;
    children.Raw(o);
    ++count;
  }
  return HeaderObjectAround(count, children.Get());
}

}  // namespace korvel::asf
