// The header extension's children: extended stream properties and the two metadata objects.
#include "base/byte_appender.h"
#include "wmv/asf/asf_guids.h"
#include "wmv/asf/asf_header_object_write.h"

namespace korvel::asf {

std::vector<uint8_t> ExtendedStreamPropertiesObject(const AsfExtendedStreamProperties& s) {
  const uint16_t extensionCount = Clamped<uint16_t>(s.payloadExtensions.size());
  ByteAppender body;
  body.U64(s.startTime).U64(s.endTime);
  body.U32(s.dataBitrate).U32(s.bufferSize).U32(s.initialBufferFullness);
  body.U32(s.alternateDataBitrate).U32(s.alternateBufferSize).U32(s.alternateInitialBufferFullness);
  body.U32(s.maximumObjectSize).U32(s.flags).U16(s.streamNumber & 0x7F).U16(s.languageIndex);
  body.U64(s.averageTimePerFrame);
  body.U16(0).U16(extensionCount);  // stream names are not kept
  for (size_t i = 0; i < extensionCount; ++i) {
    const auto& e = s.payloadExtensions[i];
    const auto info = Fitting<uint32_t>(e.info);
    body.Id(e.id).U16(e.dataSize).U32(info.size()).Raw(info);
  }
  if (s.embeddedStream) body.Raw(StreamPropertiesObject(*s.embeddedStream));
  return AsfObject(kExtendedStreamPropertiesObject, body.Get());
}

std::vector<uint8_t> MetadataObject(const std::vector<AsfDescriptor>& descriptors, AsfDescriptorSource source) {
  std::vector<const AsfDescriptor*> records;
  for (const auto& d : descriptors) {
    if (d.source == source && records.size() < UINT16_MAX) records.push_back(&d);
  }
  if (records.empty()) return {};
  const bool library = source == AsfDescriptorSource::kMetadataLibrary;
  ByteAppender body;
  body.U16(records.size());
  for (const AsfDescriptor* d : records) {
    const auto name = StoredText(d->name, UINT16_MAX);
    const auto value = Fitting<uint32_t>(d->value);
    // The metadata object has a reserved word where the library has a language index.
    body.U16(library ? d->languageIndex : 0).U16(d->streamNumber).U16(name.size()).U16(d->diskType);
    body.U32(value.size()).Raw(name).Raw(value);
  }
  return AsfObject(library ? kMetadataLibraryObject : kMetadataObject, body.Get());
}

}  // namespace korvel::asf
