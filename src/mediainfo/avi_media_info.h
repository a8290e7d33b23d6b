#pragma once
// The analyzer of AVI files, and the description of AVI streams a producer already holds open.
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

#include "avi/avi_read_handler.h"
#include "base/hresult.h"
#include "base/number_text.h"
#include "mediainfo/media_info.h"

namespace korvel {

// Describes fileName into info as the AVI reader opens it: Kind 1, IndexOK from whether the
// RIFF form carries an "idx1" index, one record per stream. False when the reader cannot open
// the file (a RIFF "AVI " file then gets IndexOK false, so that it is offered for repair) or
// a stream cannot be described; info may then hold the streams described before.
bool AnalyzeAviFile(const std::filesystem::path& fileName, QdMediaInfo& info);

// Fills info.Streams[index] (which must exist) from a stream header and its format block.
// E_INVALIDARG for an index outside info.Streams, E_FAIL when the format cannot be copied.
HRESULT AddAviStream(QdMediaInfo& info, int32_t index, const AviStreamInfo& streamInfo,
                     std::span<const uint8_t> format);

// Replaces info's streams by descriptions of the given open streams, in order (Kind 1).
// True when every one was described; a null stream or one without a format stops it.
bool DescribeAviStreams(std::span<const IAVIReadStream* const> streams, QdMediaInfo& info);

// A stream rate (RateX1000) as a person reads it: frames per second with three decimals for
// a video stream, samples (or blocks) per second with one for any other.
std::string AviFrameRateText(int32_t rateX1000, uint8_t streamType,
                             const NumberSeparators& separators = UserNumberSeparators());

}  // namespace korvel
