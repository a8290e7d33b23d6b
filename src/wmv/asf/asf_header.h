#pragma once
// What an ASF header says, as read from the file: the objects of the header and of its
// extension, each field kept as stored (times in the units the format gives them).
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/guid.h"

namespace korvel::asf {

struct AsfFileProperties {
  Guid fileId;
  uint64_t fileSize = 0;
  uint64_t creationDate = 0;
  uint64_t dataPacketsCount = 0;
  uint64_t playDuration = 0;  // 100 ns, preroll included
  uint64_t sendDuration = 0;  // 100 ns
  uint64_t preroll = 0;       // ms
  uint32_t flags = 0;         // 0x1 broadcast, 0x2 seekable
  uint32_t minPacketSize = 0;
  uint32_t maxPacketSize = 0;
  uint32_t maxBitrate = 0;

  bool Broadcast() const { return (flags & 0x1) != 0; }

  friend bool operator==(const AsfFileProperties&, const AsfFileProperties&) = default;
};

// The audio error-correction ("spread") parameters; a span of 1 means nothing is scrambled.
struct AsfAudioSpread {
  uint8_t span = 0;
  uint16_t virtualPacketLength = 0;
  uint16_t virtualChunkLength = 0;

  friend bool operator==(const AsfAudioSpread&, const AsfAudioSpread&) = default;
};

struct AsfStreamProperties {
  Guid streamType;
  Guid errorCorrectionType;
  uint64_t timeOffset = 0;  // 100 ns
  uint16_t streamNumber = 0;
  bool encrypted = false;
  std::vector<uint8_t> typeData;
  std::vector<uint8_t> errorCorrectionData;

  std::optional<AsfAudioSpread> AudioSpread() const;

  friend bool operator==(const AsfStreamProperties&, const AsfStreamProperties&) = default;
};

// One payload extension system of a stream: every payload of the stream carries its data in
// the replicated data, in declaration order.
struct AsfPayloadExtensionSystem {
  Guid id;
  uint16_t dataSize = 0;  // 0xFFFF: variable, each instance starts with a 16-bit length
  std::vector<uint8_t> info;

  friend bool operator==(const AsfPayloadExtensionSystem&, const AsfPayloadExtensionSystem&) = default;
};

struct AsfExtendedStreamProperties {
  uint64_t startTime = 0;
  uint64_t endTime = 0;
  uint32_t dataBitrate = 0;
  uint32_t bufferSize = 0;  // ms
  uint32_t initialBufferFullness = 0;
  uint32_t alternateDataBitrate = 0;
  uint32_t alternateBufferSize = 0;
  uint32_t alternateInitialBufferFullness = 0;
  uint32_t maximumObjectSize = 0;
  uint32_t flags = 0;
  uint16_t streamNumber = 0;
  uint16_t languageIndex = 0;
  uint64_t averageTimePerFrame = 0;  // 100 ns
  std::vector<AsfPayloadExtensionSystem> payloadExtensions;
  // A stream properties object embedded for streams hidden from older readers.
  std::optional<AsfStreamProperties> embeddedStream;

  friend bool operator==(const AsfExtendedStreamProperties&, const AsfExtendedStreamProperties&) = default;
};

// One name/value pair of the extended content description or the metadata objects, with the
// on-disk type code of the object it came from.
enum class AsfDescriptorSource { kExtendedContentDescription, kMetadata, kMetadataLibrary };
struct AsfDescriptor {
  AsfDescriptorSource source = AsfDescriptorSource::kExtendedContentDescription;
  uint16_t streamNumber = 0;
  uint16_t languageIndex = 0;
  std::string name;        // UTF-8
  uint16_t diskType = 0;
  std::vector<uint8_t> value;

  friend bool operator==(const AsfDescriptor&, const AsfDescriptor&) = default;
};

struct AsfContentDescription {
  std::string title, author, copyright, description, rating;  // UTF-8

  friend bool operator==(const AsfContentDescription&, const AsfContentDescription&) = default;
};

struct AsfCodecEntry {
  uint16_t type = 0;  // 1 video, 2 audio, 0xFFFF unknown
  std::string name, description;  // UTF-8
  std::vector<uint8_t> info;

  friend bool operator==(const AsfCodecEntry&, const AsfCodecEntry&) = default;
};

struct AsfScriptCommand {
  std::string type, command;  // UTF-8
  uint64_t time = 0;          // 100 ns (the stored ms x 10000), preroll included

  friend bool operator==(const AsfScriptCommand&, const AsfScriptCommand&) = default;
};

struct AsfMarker {
  std::string name;    // UTF-8
  uint64_t time = 0;   // 100 ns, preroll included
  uint64_t offset = 0;
  uint32_t sendTime = 0;

  friend bool operator==(const AsfMarker&, const AsfMarker&) = default;
};

struct AsfStreamBitrate {
  uint16_t streamNumber = 0;
  uint32_t averageBitrate = 0;

  friend bool operator==(const AsfStreamBitrate&, const AsfStreamBitrate&) = default;
};

struct AsfHeader {
  AsfFileProperties file;
  std::vector<AsfStreamProperties> streams;  // file order, embedded ones after the plain ones
  std::vector<AsfExtendedStreamProperties> extendedStreams;
  std::optional<AsfContentDescription> contentDescription;
  std::vector<AsfDescriptor> descriptors;
  std::vector<AsfCodecEntry> codecs;
  std::vector<AsfScriptCommand> scripts;
  std::vector<AsfMarker> markers;
  std::vector<AsfStreamBitrate> bitrates;
  bool protectedContent = false;  // an encryption object is present

  const AsfStreamProperties* Stream(uint16_t number) const;
  const AsfExtendedStreamProperties* ExtendedStream(uint16_t number) const;

  friend bool operator==(const AsfHeader&, const AsfHeader&) = default;
};

}  // namespace korvel::asf
