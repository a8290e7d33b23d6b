#pragma once
// Building and inspecting whole sample entries (header included) for the writer: the boxes a
// visual entry is expected to carry for players that need them, the channel field of an audio
// entry, and an AC-3 entry made from its parameters when no source entry can be copied.
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "mp4/iso/box_reader.h"
#include "mp4/iso/iso_file.h"
#include "mp4/iso/sample_entry.h"

namespace korvel::iso {

// The extended type of the "uuid" box some portable players require in an H.264 entry before
// they play a file.
inline constexpr uint8_t kDeviceUuid[16] = {0x6b, 0x68, 0x40, 0xf2, 0x5f, 0x24, 0x4f, 0xc5,
                                            0xba, 0x39, 0xa5, 0x1b, 0xcf, 0x03, 0x23, 0xf3};

// The payload of the entry's first child box of that type (for "uuid", with that extended
// type), or nullopt when the entry has none or its layout is unknown.
std::optional<ByteView> FindEntryChild(std::span<const uint8_t> entry, EntryKind kind, BoxType type,
                                       std::span<const uint8_t> extendedType = {});

// Whether the entry, laid out as kind, is its fixed fields followed by whole child boxes up to
// its end. Only then can a box be appended: behind other bytes a reader would take it for part
// of them.
bool EntryChildrenFillEntry(std::span<const uint8_t> entry, EntryKind kind);

std::vector<uint8_t> MakeDeviceUuidBox();
// Colour as code points: primaries, transfer characteristics, matrix coefficients.
std::vector<uint8_t> MakeColourBox(uint16_t primaries, uint16_t transfer, uint16_t matrix);
std::vector<uint8_t> MakePixelAspectBox(uint32_t hSpacing, uint32_t vSpacing);

// Overwrites the channel count of an audio entry; false when the entry is too short.
bool SetEntryChannelCount(std::span<uint8_t> entry, uint16_t channels);

// An "ac-3" entry with its "dac3" box, for audio sampled at samplingRate.
std::vector<uint8_t> MakeAc3SampleEntry(uint32_t samplingRate, const Ac3SpecificBox& ac3);

}  // namespace korvel::iso
