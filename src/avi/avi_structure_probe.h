#pragma once
// Quick looks at the RIFF structure of a possible AVI file, without parsing its streams.
#include <filesystem>

#include "base/byte_view.h"

namespace korvel {

struct AviStructure {
  bool isRiffAvi = false;  // a RIFF form of type "AVI " is found
  bool hasIdx1 = false;    // an "idx1" chunk follows it
};

// Looks for the RIFF "AVI " form and its "idx1" index chunk, first the strict way (chunks inside
// their parent, odd sizes padded), then, when that fails, by stepping from chunk header to chunk
// header by the sizes as stored, which still finds them behind a RIFF size that is wrong.
// Both flags are false when the file cannot be opened.
AviStructure ProbeAviStructure(const std::filesystem::path& fileName);

// Whether the first bytes of a file hold the header list of an AVI file ("LIST" "hdrl" with an
// "avih" main header) where the RIFF chunk header would put it, even when the RIFF tag or the
// form type in front of it is damaged. Such a file can still be read and reindexed.
bool HasAviHeaderList(const ByteView& head);

}  // namespace korvel
