#pragma once
// The inverse of HeaderInfoOf for what callers may change: attributes (file level and per
// stream), markers, script commands and codec descriptions go back into the header's objects.
#include "base/hresult.h"
#include "wmv/asf/asf_header.h"
#include "wmv/asf/asf_header_info.h"

namespace korvel::asf {

// Replaces the content description, descriptors, scripts, markers and codec list of header with
// what info holds. Derived attributes are not stored. Times in info are without preroll; the
// header's preroll is added back.
HRESULT StoreHeaderInfo(const AsfHeaderInfo& info, AsfHeader& header);

}  // namespace korvel::asf
