#pragma once
// Result codes of our ASF layer. The three "damaged data" codes are the only ones a sample read
// reports for bad bytes: the producers skip over exactly these and stop on anything else.
#include "base/hresult.h"

namespace korvel::asf {

// Reading went past the end of the range (or the file).
inline constexpr HRESULT NS_E_NO_MORE_SAMPLES = static_cast<HRESULT>(0xC00D0BCFu);
// A data packet whose fields do not fit together.
inline constexpr HRESULT NS_E_INVALID_DATA = static_cast<HRESULT>(0xC00D002Fu);
// A media object whose fragments do not fit together.
inline constexpr HRESULT NS_E_CORRUPTED_DATA_UNIT = static_cast<HRESULT>(0xC00D080Du);
// The file ends early or a read fails.
inline constexpr HRESULT NS_E_FILE_CORRUPTED = static_cast<HRESULT>(0xC00D0BBFu);
// Not an ASF file at all.
inline constexpr HRESULT NS_E_INVALID_INPUT_FORMAT = static_cast<HRESULT>(0xC00D0BB8u);
// An attribute, property or stream that is not there.
inline constexpr HRESULT ASF_E_NOTFOUND = static_cast<HRESULT>(0xC00D07F0u);
// A caller's buffer is too small for the value; nothing was written.
inline constexpr HRESULT ASF_E_BUFFERTOOSMALL = static_cast<HRESULT>(0x8007007Au);
// An operation in the wrong state (not opened, already closed).
inline constexpr HRESULT NS_E_INVALID_REQUEST = static_cast<HRESULT>(0xC00D002Bu);

// True for the codes that mean "this stretch of the file is damaged".
inline constexpr bool IsDamagedDataResult(HRESULT hr) {
  return hr == NS_E_INVALID_DATA || hr == NS_E_CORRUPTED_DATA_UNIT || hr == NS_E_FILE_CORRUPTED;
}

}  // namespace korvel::asf
