#pragma once
// A track's sample description ("stsd"): the first entry's format and what the engine needs
// from it -- picture size, channels, the decoder configuration (avcC, esds, dac3) and SVQ3's
// extra data. Entries of other kinds (text, tx3g, hint ...) are kept by name and bytes only.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/byte_view.h"
#include "mp4/iso/box_reader.h"
#include "mp4/iso/iso_file.h"

namespace korvel::iso {

enum class EntryKind { Other, Visual, Audio };

struct SampleEntryInfo {
  BoxType format = 0;
  EntryKind kind = EntryKind::Other;
  std::vector<uint8_t> raw;  // the whole entry, header included

  uint16_t width = 0;
  uint16_t height = 0;
  int32_t channels = 0;
  uint32_t sampleRate = 0;  // integer part of the 16.16 field

  uint8_t esdsObjectType = 0;
  uint32_t esdsAvgBitrate = 0;
  uint8_t audioObjectType = 0;
  std::vector<uint8_t> decoderConfig;  // esds DecoderSpecificInfo or the avcC record
  std::vector<std::vector<uint8_t>> sps;
  std::vector<std::vector<uint8_t>> pps;
  std::vector<uint8_t> svq3Metadata;
  std::optional<Ac3SpecificBox> ac3;
};

// Parses the "stsd" payload. The handler type decides whether the entry is laid out as a
// visual or an audio entry, since the entry's name alone does not say. An empty description
// gives an entry with format 0.
std::optional<SampleEntryInfo> ParseSampleDescription(ByteView stsd, uint64_t fileOffset, BoxType handler,
                                                      BoxWalkState& walk, std::string* error);

// Where an entry's child boxes begin in its payload (the bytes after the entry's box header);
// nullopt for an entry of unknown layout or one too short for its layout (and audio version).
std::optional<size_t> SampleEntryChildrenAt(ByteView payload, EntryKind kind);

// The parts of an "esds" payload (after its version and flags) the engine uses.
struct EsDescriptorInfo {
  uint8_t objectType = 0;
  uint32_t avgBitrate = 0;
  std::vector<uint8_t> decoderSpecificInfo;
};
std::optional<EsDescriptorInfo> ParseEsDescriptor(ByteView descriptors, std::string* error);

// The audio object type at the start of an AudioSpecificConfig, with the escape to 32 + 6 bits.
uint8_t AudioObjectType(ByteView audioSpecificConfig);

// The channel count an AudioSpecificConfig states; 0 when it leaves it to a program config element.
uint8_t AudioSpecificConfigChannels(ByteView audioSpecificConfig);

std::optional<Ac3SpecificBox> ParseDac3(ByteView payload);
// Full-bandwidth channels from the coding mode, plus the LFE channel.
uint8_t Ac3Channels(const Ac3SpecificBox& ac3);

}  // namespace korvel::iso
