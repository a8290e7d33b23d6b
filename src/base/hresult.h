#pragma once
// Result codes shared by every engine and reader: 0 is success, negative is failure.
#include <cstdint>

namespace korvel {

using HRESULT = int32_t;

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
inline constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
inline constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);

// Results of the AVI reader's stream reads.
inline constexpr HRESULT AVIERR_BADFORMAT = static_cast<HRESULT>(0x80044066u);
inline constexpr HRESULT AVIERR_MEMORY = static_cast<HRESULT>(0x80044067u);
inline constexpr HRESULT AVIERR_FILEREAD = static_cast<HRESULT>(0x8004406Du);
inline constexpr HRESULT AVIERR_BUFFERTOOSMALL = static_cast<HRESULT>(0x80044074u);

inline constexpr bool Succeeded(HRESULT hr) { return hr >= 0; }
inline constexpr bool Failed(HRESULT hr) { return hr < 0; }

}  // namespace korvel
