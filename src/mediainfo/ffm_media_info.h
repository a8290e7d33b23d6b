#pragma once
// The analyzer of the files FFmpeg opens: MPEG program streams (MPG, VOB), MPEG video
// elementary streams, MPEG transport streams (TS, M2TS, MTS) and MP4-family files. The streams
// are described as the FFmpeg remuxer chooses them, so the description matches what a join
// copies. Every other format is refused with Kind 0.
#include <filesystem>

#include "base/hresult.h"
#include "mediainfo/media_info.h"

struct AVFormatContext;

namespace korvel {

class SFFMpegFmtClass;

// Describes fileName into info (reset first). False when FFmpeg cannot open or probe the file,
// or opens it with a demuxer this program does not join; Kind is then 0.
bool DescribeFfmFile(const std::filesystem::path& fileName, QdMediaInfo& info);

// Fills info's kind and streams from an input the remuxer has open (info.FileName set by the
// caller). E_FAIL without an input, or for a demuxer this program does not join (Kind 0).
HRESULT LoadFfmpegInfo(QdMediaInfo& info, const SFFMpegFmtClass* remuxer, const AVFormatContext* context);

}  // namespace korvel
