#pragma once
// Reading the header object of an ASF file into an AsfHeader.
#include "base/byte_view.h"
#include "base/hresult.h"
#include "wmv/asf/asf_header.h"

namespace korvel::asf {

// headerObject holds the whole header object, from its GUID to its last byte.
// NS_E_INVALID_INPUT_FORMAT when it is not an ASF header; NS_E_FILE_CORRUPTED when a size or
// count does not fit, or a required object is missing or malformed. Entries of the descriptive
// objects (texts, attributes, codecs, scripts, markers) are kept up to the first that does not fit.
HRESULT ParseAsfHeader(const ByteView& headerObject, AsfHeader& header);

// The parsers of the single header objects; bodies start after the 24-byte object head.
bool ParseFileProperties(const ByteView& body, AsfFileProperties& out);
bool ParseStreamProperties(const ByteView& body, AsfStreamProperties& out);
bool ParseHeaderExtension(const ByteView& body, AsfHeader& header);
void ParseContentDescription(const ByteView& body, AsfHeader& header);
void ParseExtendedContentDescription(const ByteView& body, AsfHeader& header);
void ParseCodecList(const ByteView& body, AsfHeader& header);
void ParseScriptCommands(const ByteView& body, AsfHeader& header);
void ParseMarkers(const ByteView& body, AsfHeader& header);
void ParseStreamBitrates(const ByteView& body, AsfHeader& header);

}  // namespace korvel::asf
