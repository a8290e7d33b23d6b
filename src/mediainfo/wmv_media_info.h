#pragma once
// The analyzer of ASF files (WMV, WMA): one record per stream of the file's profile, with its
// media type, bit rate, VBR mode, picture size, frame rate and codec name, and whether the file's
// index lets it be cut as it is or it should be reconstructed first.
#include <cstdint>
#include <filesystem>

#include "base/hresult.h"
#include "mediainfo/media_info.h"
#include "wmv/asf/asf_profile.h"
#include "wmv/asf/asf_stream_config.h"

namespace korvel {

// Describes fileName into info (reset first): Kind 2, IndexOK from the header's "Seekable"
// attribute, one record per stream. False when the file cannot be opened as ASF or its streams
// cannot be described; info then has Kind 2 and no streams.
bool DescribeWmvFile(const std::filesystem::path& fileName, QdMediaInfo& info);

// Replaces info's streams by descriptions of the profile's streams, in order. ASF numbers its
// streams 1 to 127, so a profile with more is refused with E_INVALIDARG; info then has no streams.
HRESULT LoadWmvStreams(QdMediaInfo& info, const asf::AsfProfile& profile);

enum WmvVbrModeCode : uint32_t {
  kVbrConstant = 0,
  kVbrQuality = 1,
  kVbrUnconstrained = 2,
  kVbrPeakConstrained = 3,
};

struct WmvVbrMode {
  bool vbr = false;
  uint32_t mode = kVbrConstant;
  uint32_t quality = 0;   // quality-based VBR only
  uint32_t peakRate = 0;  // "_RMAX" of a VBR stream
  uint32_t passes = 1;
};

// A stream's VBR settings from its properties "_VBRENABLED", "_RMAX", "_BMAX" and
// "_VBRQUALITY", and from the quality a WMA encoder marks in the average bytes per second
// (0x7FFFFFqq). Properties that cannot be read leave their settings as they are.
WmvVbrMode GetVbrMode(const asf::AsfStreamConfig& streamConfig);

}  // namespace korvel
