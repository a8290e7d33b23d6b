#pragma once
// The analyzer of MP4-family files (MP4, M4A, M4V, MOV, 3GP, 3G2): the tracks the MP4 engine
// reads, as a media description. Its sub-kind picks the engine that joins such files.
#include <filesystem>

#include "base/hresult.h"
#include "mediainfo/media_info.h"
#include "mp4/mp4_file_info.h"

namespace korvel {

// Describes fileName into info (reset first). False when the file cannot be read as an ISO
// base media file; info then has Kind 5 and no streams.
bool DescribeMp4File(const std::filesystem::path& fileName, QdMediaInfo& info);

// Fills info from a file description: Kind 5, the sub-kind from the brand of info.FileName,
// one stream per track. E_FAIL without a file description (Kind stays 5).
HRESULT LoadMp4Info(QdMediaInfo& info, const SMP4FileInfo* fileInfo);

}  // namespace korvel
