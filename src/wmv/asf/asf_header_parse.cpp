#include "wmv/asf/asf_header_parse.h"

#include "wmv/asf/asf_errors.h"
#include "wmv/asf/asf_field_cursor.h"
#include "wmv/asf/asf_guids.h"

namespace korvel::asf {
namespace {

constexpr size_t kHeaderObjectHead = 30;
constexpr uint16_t kHighestStreamNumber = 127;

bool HasStream(const AsfHeader& header, uint16_t number) { return header.Stream(number) != nullptr; }

// Streams declared only inside the extended stream properties join the plain ones.
void AddEmbeddedStreams(AsfHeader& header) {
  for (const auto& ext : header.extendedStreams) {
    if (ext.embeddedStream && !HasStream(header, ext.embeddedStream->streamNumber)) {
      header.streams.push_back(*ext.embeddedStream);
    }
  }
}

}  // namespace

std::optional<AsfAudioSpread> AsfStreamProperties::AudioSpread() const {
  if (errorCorrectionType != kAudioSpread) return std::nullopt;
  FieldCursor c{ByteView(errorCorrectionData)};
  const auto span = c.U8();
  const auto packet = c.U16();
  const auto chunk = c.U16();
  if (!span || !packet || !chunk) return std::nullopt;
  return AsfAudioSpread{*span, *packet, *chunk};
}

const AsfStreamProperties* AsfHeader::Stream(uint16_t number) const {
  for (const auto& s : streams) {
    if (s.streamNumber == number) return &s;
  }
  return nullptr;
}

const AsfExtendedStreamProperties* AsfHeader::ExtendedStream(uint16_t number) const {
  for (const auto& s : extendedStreams) {
    if (s.streamNumber == number) return &s;
  }
  return nullptr;
}

bool ParseFileProperties(const ByteView& body, AsfFileProperties& out) {
  FieldCursor c{body};
  const auto id = c.GuidField();
  const auto size = c.U64(), created = c.U64(), packets = c.U64(), play = c.U64(), send = c.U64(), preroll = c.U64();
  const auto flags = c.U32(), minPacket = c.U32(), maxPacket = c.U32(), maxBitrate = c.U32();
  if (!maxBitrate) return false;
  out = {*id, *size, *created, *packets, *play, *send, *preroll, *flags, *minPacket, *maxPacket, *maxBitrate};
  return true;
}

bool ParseStreamProperties(const ByteView& body, AsfStreamProperties& out) {
  FieldCursor c{body};
  const auto type = c.GuidField(), correction = c.GuidField();
  const auto offset = c.U64();
  const auto typeLength = c.U32(), correctionLength = c.U32();
  const auto flags = c.U16();
  const auto reserved = c.U32();
  if (!reserved) return false;
  const auto typeData = c.Bytes(*typeLength);
  if (!typeData) return false;
  const auto correctionData = c.Bytes(*correctionLength);
  if (!correctionData) return false;
  out.streamType = *type;
  out.errorCorrectionType = *correction;
  out.timeOffset = *offset;
  out.streamNumber = static_cast<uint16_t>(*flags & 0x7F);
  out.encrypted = (*flags & 0x8000) != 0;
  out.typeData = CopyOf(*typeData);
  out.errorCorrectionData = CopyOf(*correctionData);
  return out.streamNumber >= 1 && out.streamNumber <= kHighestStreamNumber;
}

void ParseStreamBitrates(const ByteView& body, AsfHeader& header) {
  FieldCursor c{body};
  const auto count = c.U16();
  for (uint32_t i = 0; count && i < *count; ++i) {
    const auto flags = c.U16();
    const auto rate = c.U32();
    if (!rate) return;
    header.bitrates.push_back({static_cast<uint16_t>(*flags & 0x7F), *rate});
  }
}

HRESULT ParseAsfHeader(const ByteView& headerObject, AsfHeader& header) {
  header = AsfHeader{};
  if (GuidAt(headerObject, 0) != kHeaderObject) return NS_E_INVALID_INPUT_FORMAT;
  if (headerObject.size() < kHeaderObjectHead || headerObject.U64LE(16) != headerObject.size()) {
    return NS_E_FILE_CORRUPTED;
  }
  std::vector<AsfObjectView> children;
  if (!SplitObjects(headerObject.Sub(kHeaderObjectHead, headerObject.size() - kHeaderObjectHead), children)) {
    return NS_E_FILE_CORRUPTED;
  }
  bool haveFileProperties = false;
  for (const auto& child : children) {
    if (child.id == kFilePropertiesObject) {
      if (haveFileProperties || !ParseFileProperties(child.body, header.file)) return NS_E_FILE_CORRUPTED;
      haveFileProperties = true;
    } else if (child.id == kStreamPropertiesObject) {
      AsfStreamProperties stream;
      if (!ParseStreamProperties(child.body, stream) || HasStream(header, stream.streamNumber)) {
        return NS_E_FILE_CORRUPTED;
      }
      header.streams.push_back(std::move(stream));
    } else if (child.id == kHeaderExtensionObject) {
      if (!ParseHeaderExtension(child.body, header)) return NS_E_FILE_CORRUPTED;
    } else if (child.id == kContentDescriptionObject) {
      ParseContentDescription(child.body, header);
    } else if (child.id == kExtendedContentDescriptionObject) {
      ParseExtendedContentDescription(child.body, header);
    } else if (child.id == kCodecListObject) {
      ParseCodecList(child.body, header);
    } else if (child.id == kScriptCommandObject) {
      ParseScriptCommands(child.body, header);
    } else if (child.id == kMarkerObject) {
      ParseMarkers(child.body, header);
    } else if (child.id == kStreamBitratePropertiesObject) {
      ParseStreamBitrates(child.body, header);
    } else if (child.id == kContentEncryptionObject || child.id == kExtendedContentEncryptionObject) {
      header.protectedContent = true;
    }
  }
  AddEmbeddedStreams(header);
  if (!haveFileProperties || header.streams.empty()) return NS_E_FILE_CORRUPTED;
  return S_OK;
}

}  // namespace korvel::asf
