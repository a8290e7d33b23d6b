#pragma once
// A readable text for an audio format block (a WAVEFORMATEX, or the WAVEFORMATEXTENSIBLE that
// widens it), shared by the analyzers whose streams carry one.
#include <cstdint>
#include <span>
#include <string>

#include "base/number_text.h"

namespace korvel {

inline constexpr uint16_t kWaveFormatExtensible = 0xFFFE;

// "PCM, 44,100 Hz, 16 bits, Stereo": the format's name (only withName), then its rate, sample
// size and channels, numbers written with the given separators. An unknown tag is named by its
// number ("0x1234"); a WAVEFORMATEXTENSIBLE by its SubFormat GUID when the block is long enough
// (40 bytes) to carry one. A block too short to hold the
// basic fields (16 bytes) says "-", as a stream without a format does.
std::string AudioFormatText(std::span<const uint8_t> format, bool withName,
                            const NumberSeparators& separators = UserNumberSeparators());

}  // namespace korvel
