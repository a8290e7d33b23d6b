#pragma once
// The header a writer starts from: one stream properties object, one extended stream
// properties object and one bit rate entry per stream of the profile, and the file properties
// that follow from the streams. What only the written data can tell (sizes, counts, durations)
// is left for the writer to fill in.
#include <cstdint>

#include "base/hresult.h"
#include "wmv/asf/asf_header.h"
#include "wmv/asf/asf_profile.h"

namespace korvel::asf {

// Every payload's presentation time carries at least this preroll (ms). Besides leaving players
// their buffer time, it bounds how far a sample may step back behind the latest one written and
// still be read back in order (see AsfPacketWriter's send times).
inline constexpr uint32_t kMinimumPrerollMs = 3000;

// Streams in profile order with their numbers kept. E_INVALIDARG for an empty profile, a
// stream number used twice, or a media type that cannot be stored.
HRESULT HeaderFromProfile(const AsfProfile& profile, AsfHeader& header);

// An "IsVBR" attribute for every stream whose "_VBRENABLED" property is set: readers take the
// property from it. Called after the header's attributes are stored, which replaces them all.
void AddVbrAttributes(const AsfProfile& profile, AsfHeader& header);

}  // namespace korvel::asf
