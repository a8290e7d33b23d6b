#pragma once
// The RIFF form, list and chunk codes of an AVI file, for its reader and its writer alike.
#include "base/fourcc.h"

namespace korvel {

inline constexpr FOURCC kFormAvi = MakeFourCC('A', 'V', 'I', ' ');
// Each further RIFF segment of an OpenDML file.
inline constexpr FOURCC kFormAvix = MakeFourCC('A', 'V', 'I', 'X');

inline constexpr FOURCC kListHeader = MakeFourCC('h', 'd', 'r', 'l');
inline constexpr FOURCC kListStream = MakeFourCC('s', 't', 'r', 'l');
inline constexpr FOURCC kListMovie = MakeFourCC('m', 'o', 'v', 'i');
inline constexpr FOURCC kListRecord = MakeFourCC('r', 'e', 'c', ' ');
inline constexpr FOURCC kListInfo = MakeFourCC('I', 'N', 'F', 'O');
inline constexpr FOURCC kListOdml = MakeFourCC('o', 'd', 'm', 'l');

inline constexpr FOURCC kChunkMainHeader = MakeFourCC('a', 'v', 'i', 'h');
inline constexpr FOURCC kChunkStreamHeader = MakeFourCC('s', 't', 'r', 'h');
inline constexpr FOURCC kChunkStreamFormat = MakeFourCC('s', 't', 'r', 'f');
inline constexpr FOURCC kChunkIdx1 = MakeFourCC('i', 'd', 'x', '1');
// A super index in a stream's header list, or a standard index in a movie list.
inline constexpr FOURCC kChunkOdmlIndex = MakeFourCC('i', 'n', 'd', 'x');
inline constexpr FOURCC kChunkOdmlHeader = MakeFourCC('d', 'm', 'l', 'h');
inline constexpr FOURCC kChunkJunk = MakeFourCC('J', 'U', 'N', 'K');

}  // namespace korvel
