#pragma once
#include "base/fourcc.h"

namespace korvel {

// The codec family of an AVI video handler: the code lower-cased, then mapped so that
// codes of one bitstream format ("DIV3", "MP43" ...) compare equal.
FOURCC FourCCClass(FOURCC handler);

}  // namespace korvel
