#include "mp4/iso/sample_entry.h"

#include <algorithm>
#include <bit>

namespace korvel::iso {
namespace {

// Where the child boxes start in an entry's payload (after the 8-byte box header).
constexpr size_t kVisualChildren = 78;
constexpr size_t kAudioChildrenV0 = 28;
constexpr size_t kAudioChildrenV1 = kAudioChildrenV0 + 16;  // QuickTime sound description v1
constexpr size_t kAudioChildrenV2 = kAudioChildrenV0 + 36;  // QuickTime sound description v2

void SetError(std::string* error, std::string text) {
  if (error) *error = std::move(text);
}

// A descriptor's tag and the bounds of its body inside `bytes`.
struct Descriptor {
  uint8_t tag = 0;
  size_t bodyAt = 0;
  size_t bodySize = 0;
};

// Reads the descriptor at pos; its size is stored in 1 to 4 bytes of 7 bits each, the top bit
// saying another byte follows.
bool ReadDescriptor(ByteView bytes, size_t pos, Descriptor& d, std::string* error) {
  const auto tag = bytes.U8(pos);
  if (!tag) {
    SetError(error, "an 'esds' descriptor is truncated");
    return false;
  }
  uint32_t size = 0;
  size_t at = pos + 1;
  for (int i = 0;; ++i) {
    const auto b = bytes.U8(at++);
    if (!b || i == 4) {
      SetError(error, "an 'esds' descriptor has a malformed size");
      return false;
    }
    size = (size << 7) | (*b & 0x7F);
    if ((*b & 0x80) == 0) break;
  }
  if (!bytes.Has(at, size)) {
    SetError(error, "an 'esds' descriptor of " + std::to_string(size) + " bytes runs past its box");
    return false;
  }
  d = {*tag, at, size};
  return true;
}

constexpr uint8_t kEsDescriptorTag = 0x03;
constexpr uint8_t kDecoderConfigTag = 0x04;
constexpr uint8_t kDecoderSpecificTag = 0x05;

bool ParseDecoderConfig(ByteView body, EsDescriptorInfo& info, std::string* error) {
  const auto objectType = body.U8(0);
  const auto avgBitrate = body.U32BE(9);
  if (!objectType || !avgBitrate) {
    SetError(error, "the decoder configuration descriptor is truncated");
    return false;
  }
  info.objectType = *objectType;
  info.avgBitrate = *avgBitrate;
  for (size_t pos = 13; pos < body.size();) {
    Descriptor d;
    if (!ReadDescriptor(body, pos, d, error)) return false;
    if (d.tag == kDecoderSpecificTag) {
      info.decoderSpecificInfo = ToBytes(body.Sub(d.bodyAt, d.bodySize));
      break;
    }
    pos = d.bodyAt + d.bodySize;
  }
  return true;
}

bool ParseAvcConfig(ByteView avcC, SampleEntryInfo& entry, std::string* error) {
  const auto truncated = [&] {
    SetError(error, "the 'avcC' record is truncated");
    return false;
  };
  const auto spsCount = avcC.U8(5);
  if (!spsCount) return truncated();
  size_t pos = 6;
  const auto readSets = [&](size_t count, std::vector<std::vector<uint8_t>>& out) {
    for (size_t i = 0; i < count; ++i) {
      const auto length = avcC.U16BE(pos);
      if (!length || !avcC.Has(pos + 2, *length)) return false;
      out.push_back(ToBytes(avcC.Sub(pos + 2, *length)));
      pos += 2 + size_t{*length};
    }
    return true;
  };
  if (!readSets(*spsCount & 0x1F, entry.sps)) return truncated();
  const auto ppsCount = avcC.U8(pos++);
  if (!ppsCount) return truncated();
  if (!readSets(*ppsCount, entry.pps)) return truncated();
  entry.decoderConfig = ToBytes(avcC);
  return true;
}

bool ParseEsds(ByteView esds, SampleEntryInfo& entry, std::string* error) {
  // Version and flags come first.
  auto info = ParseEsDescriptor(esds.Sub(4, esds.size() >= 4 ? esds.size() - 4 : 0), error);
  if (!info) return false;
  entry.esdsObjectType = info->objectType;
  entry.esdsAvgBitrate = info->avgBitrate;
  entry.decoderConfig = std::move(info->decoderSpecificInfo);
  // Only MPEG-4 audio (0x40) carries an AudioSpecificConfig.
  if (entry.kind == EntryKind::Audio && entry.esdsObjectType == 0x40) {
    entry.audioObjectType = AudioObjectType(ByteView(entry.decoderConfig));
  }
  return true;
}

// Looks through an entry's child boxes for the configuration boxes the engine uses.
bool ParseEntryChildren(const std::vector<Box>& children, SampleEntryInfo& entry, int depth, BoxWalkState& walk,
                        std::string* error) {
  for (const Box& child : children) {
    if (child.type == MakeBoxType("avcC")) {
      if (!ParseAvcConfig(child.payload, entry, error)) return false;
    } else if (child.type == MakeBoxType("esds")) {
      if (!ParseEsds(child.payload, entry, error)) return false;
    } else if (child.type == MakeBoxType("dac3")) {
      entry.ac3 = ParseDac3(child.payload);
      if (!entry.ac3) {
        SetError(error, "the 'dac3' box is truncated");
        return false;
      }
    } else if (child.type == MakeBoxType("wave")) {
      // QuickTime keeps the audio decoder configuration inside a "wave" box.
      std::vector<Box> inner;
      if (!ParseBoxes(child.payload, child.fileOffset + 8, depth + 1, walk, inner, error)) return false;
      if (!ParseEntryChildren(inner, entry, depth + 1, walk, error)) return false;
    }
  }
  return true;
}

}  // namespace

std::optional<EsDescriptorInfo> ParseEsDescriptor(ByteView descriptors, std::string* error) {
  Descriptor top;
  if (!ReadDescriptor(descriptors, 0, top, error)) return std::nullopt;
  EsDescriptorInfo info;
  const ByteView body = descriptors.Sub(top.bodyAt, top.bodySize);
  if (top.tag == kDecoderConfigTag) {
    if (!ParseDecoderConfig(body, info, error)) return std::nullopt;
    return info;
  }
  if (top.tag != kEsDescriptorTag) {
    SetError(error, "the 'esds' box does not start with an elementary stream descriptor");
    return std::nullopt;
  }
  // ES_ID, then flags saying which optional fields follow.
  const auto flags = body.U8(2);
  if (!flags) {
    SetError(error, "the elementary stream descriptor is truncated");
    return std::nullopt;
  }
  size_t pos = 3;
  if (*flags & 0x80) pos += 2;  // depends-on stream id
  if (*flags & 0x40) {          // URL
    const auto urlLength = body.U8(pos);
    if (!urlLength) {
      SetError(error, "the elementary stream descriptor is truncated");
      return std::nullopt;
    }
    pos += 1 + size_t{*urlLength};
  }
  if (*flags & 0x20) pos += 2;  // OCR stream id
  while (pos < body.size()) {
    Descriptor d;
    if (!ReadDescriptor(body, pos, d, error)) return std::nullopt;
    if (d.tag == kDecoderConfigTag) {
      if (!ParseDecoderConfig(body.Sub(d.bodyAt, d.bodySize), info, error)) return std::nullopt;
      return info;
    }
    pos = d.bodyAt + d.bodySize;
  }
  SetError(error, "the 'esds' box has no decoder configuration descriptor");
  return std::nullopt;
}

uint8_t AudioSpecificConfigChannels(ByteView asc) {
  // Bits: object type (5, or 5 + 6 after the escape 31), frequency index (4, or 4 + 24 after
  // the escape 15), then the channel configuration (4).
  uint64_t bits = 0;
  size_t have = 0;
  for (size_t i = 0; i < 6; ++i) {
    const auto b = asc.U8(i);
    if (!b) break;
    bits = (bits << 8) | *b;
    have += 8;
  }
  size_t pos = 0;
  const auto field = [&](size_t width) -> std::optional<uint32_t> {
    if (pos + width > have) return std::nullopt;
    const auto value = static_cast<uint32_t>((bits >> (have - pos - width)) & ((1u << width) - 1));
    pos += width;
    return value;
  };
  const auto objectType = field(5);
  if (!objectType) return 0;
  if (*objectType == 31) pos += 6;
  const auto frequency = field(4);
  if (!frequency) return 0;
  if (*frequency == 15) pos += 24;
  const auto channels = field(4);
  if (!channels || *channels == 0 || *channels > 7) return 0;
  return static_cast<uint8_t>(*channels == 7 ? 8 : *channels);
}

uint8_t Ac3Channels(const Ac3SpecificBox& ac3) {
  static constexpr uint8_t kByMode[8] = {2, 1, 2, 3, 3, 4, 4, 5};
  return static_cast<uint8_t>(kByMode[ac3.acmod & 7] + ac3.lfeon);
}

uint8_t AudioObjectType(ByteView asc) {
  const auto first = asc.U8(0);
  if (!first) return 0;
  const uint8_t type = *first >> 3;
  if (type != 31) return type;
  const auto second = asc.U8(1);
  if (!second) return 0;
  return static_cast<uint8_t>(32 + (((*first & 0x07) << 3) | (*second >> 5)));
}

std::optional<Ac3SpecificBox> ParseDac3(ByteView payload) {
  const auto b0 = payload.U8(0), b1 = payload.U8(1), b2 = payload.U8(2);
  if (!b0 || !b1 || !b2) return std::nullopt;
  const uint32_t bits = (uint32_t{*b0} << 16) | (uint32_t{*b1} << 8) | *b2;
  Ac3SpecificBox box;
  box.fscod = static_cast<uint8_t>((bits >> 22) & 0x03);
  box.bsid = static_cast<uint8_t>((bits >> 17) & 0x1F);
  box.bsmod = static_cast<uint8_t>((bits >> 14) & 0x07);
  box.acmod = static_cast<uint8_t>((bits >> 11) & 0x07);
  box.lfeon = static_cast<uint8_t>((bits >> 10) & 0x01);
  box.bitRateCode = static_cast<uint8_t>((bits >> 5) & 0x1F);
  return box;
}

std::optional<size_t> SampleEntryChildrenAt(ByteView payload, EntryKind kind) {
  size_t at = 0;
  if (kind == EntryKind::Visual) {
    at = kVisualChildren;
  } else if (kind == EntryKind::Audio) {
    const auto version = payload.U16BE(8);
    if (!version) return std::nullopt;
    at = *version == 1 ? kAudioChildrenV1 : *version == 2 ? kAudioChildrenV2 : kAudioChildrenV0;
  } else {
    return std::nullopt;
  }
  if (payload.size() < at) return std::nullopt;
  return at;
}

std::optional<SampleEntryInfo> ParseSampleDescription(ByteView stsd, uint64_t fileOffset, BoxType handler,
                                                      BoxWalkState& walk, std::string* error) {
  SampleEntryInfo entry;
  const auto count = stsd.U32BE(4);
  if (!count) {
    SetError(error, "the 'stsd' box is too short");
    return std::nullopt;
  }
  if (*count == 0 || stsd.size() < 16) return entry;
  // Only the first entry is described: a track the engine can cut uses one format throughout.
  BoxHeader header;
  const uint64_t entryOffset = fileOffset + 8;
  if (!ParseBoxHeader(stsd.Sub(8, std::min<size_t>(kMaxBoxHeader, stsd.size() - 8)), stsd.size() - 8, entryOffset,
                      header, error)) {
    return std::nullopt;
  }
  const auto entrySize = static_cast<size_t>(header.size);
  const ByteView whole = stsd.Sub(8, entrySize);
  const ByteView payload = whole.Sub(header.headerSize, entrySize - header.headerSize);
  entry.format = header.type;
  entry.raw = ToBytes(whole);

  size_t childrenAt = payload.size();  // no children unless the layout is known
  if (handler == MakeBoxType("vide")) {
    entry.kind = EntryKind::Visual;
    const auto width = payload.U16BE(24), height = payload.U16BE(26);
    const auto children = SampleEntryChildrenAt(payload, entry.kind);
    if (!width || !height || !children) {
      SetError(error, "the visual sample entry '" + BoxTypeText(entry.format) + "' is too short");
      return std::nullopt;
    }
    entry.width = *width;
    entry.height = *height;
    childrenAt = *children;
    if (entry.format == MakeBoxType("SVQ3")) {
      entry.svq3Metadata = ToBytes(payload.Sub(kVisualChildren, payload.size() - kVisualChildren));
      childrenAt = payload.size();  // its extra data is not guaranteed to be boxes
    }
  } else if (handler == MakeBoxType("soun")) {
    entry.kind = EntryKind::Audio;
    const auto version = payload.U16BE(8);
    const auto channels = payload.U16BE(16);
    const auto rate = payload.U32BE(24);
    if (!version || !channels || !rate) {
      SetError(error, "the audio sample entry '" + BoxTypeText(entry.format) + "' is too short");
      return std::nullopt;
    }
    entry.channels = *channels;
    entry.sampleRate = *rate >> 16;
    const auto children = SampleEntryChildrenAt(payload, entry.kind);
    if (!children) {
      SetError(error, "the audio sample entry '" + BoxTypeText(entry.format) + "' is too short for its version");
      return std::nullopt;
    }
    childrenAt = *children;
    if (*version == 2) {
      // Version 2 keeps the real rate and channel count in its extension.
      const auto rateBits = payload.U64BE(32);
      const auto channels2 = payload.U32BE(40);
      if (rateBits && channels2) {
        const double exact = std::bit_cast<double>(*rateBits);
        entry.sampleRate = (exact >= 0 && exact < 4294967296.0) ? static_cast<uint32_t>(exact) : 0;
        entry.channels = static_cast<int32_t>(std::min<uint32_t>(*channels2, INT32_MAX));
      }
    }
  }
  if (childrenAt < payload.size()) {
    std::vector<Box> children;
    const uint64_t childOffset = entryOffset + header.headerSize + childrenAt;
    // The entry sits six boxes deep: moov, trak, mdia, minf, stbl, stsd.
    constexpr int kEntryDepth = 7;
    if (!ParseBoxes(payload.Sub(childrenAt, payload.size() - childrenAt), childOffset, kEntryDepth, walk, children,
                    error)) {
      return std::nullopt;
    }
    if (!ParseEntryChildren(children, entry, kEntryDepth, walk, error)) return std::nullopt;
  }
  // ISO files put a fixed 2 in the entry's channel field; the decoder configuration knows better.
  if (entry.kind == EntryKind::Audio) {
    uint8_t configured = 0;
    if (entry.esdsObjectType == 0x40) configured = AudioSpecificConfigChannels(ByteView(entry.decoderConfig));
    if (entry.ac3) configured = Ac3Channels(*entry.ac3);
    if (configured != 0) entry.channels = configured;
  }
  return entry;
}

}  // namespace korvel::iso
