#pragma once
// Codec names for the streams of ASF files: a built-in table of the subtypes Windows Media
// files commonly carry, and the stand-in for the codec naming library the analyzer asks next.
#include <cstdint>
#include <string>

#include "base/guid.h"
#include "wmv/asf/asf_media_type.h"

namespace korvel {

// The name the table gives a media subtype; empty when the table does not know it.
std::string CodecNameFromSubtype(const Guid& subtype);

// What the codec naming library says about a stream's codec: a negative index when it does not
// know the codec, else its index, name and (for audio) format description.
struct CodecLibraryEntry {
  int32_t index = -1;
  std::string name;
  std::string description;
};

// There is no codec naming library on this platform: every codec is unknown to it, which
// leaves the table and "Unknown Codec" as the only names.
CodecLibraryEntry LookupCodecName(const asf::WmMediaType& mediaType);

}  // namespace korvel
