#pragma once
// Header attributes as callers see them: a name, one of seven value types and the value bytes
// in the caller's layout (DWORD and BOOL 4 bytes, QWORD 8, WORD 2, GUID 16, strings UTF-16LE
// with a NUL unit, binary as is). The on-disk objects code types differently; the mapping
// lives here so the reader and a writer share it.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/guid.h"
#include "wmv/asf/asf_header.h"

namespace korvel::asf {

enum WMT_ATTR_DATATYPE : uint16_t {
  WMT_TYPE_DWORD = 0,
  WMT_TYPE_STRING = 1,
  WMT_TYPE_BINARY = 2,
  WMT_TYPE_BOOL = 3,
  WMT_TYPE_QWORD = 4,
  WMT_TYPE_WORD = 5,
  WMT_TYPE_GUID = 6,
};

struct AsfAttribute {
  std::string name;  // UTF-8
  WMT_ATTR_DATATYPE type = WMT_TYPE_BINARY;
  std::vector<uint8_t> value;
  uint16_t language = 0;
};

AsfAttribute MakeDwordAttribute(std::string name, uint32_t value);
AsfAttribute MakeQwordAttribute(std::string name, uint64_t value);
AsfAttribute MakeBoolAttribute(std::string name, bool value);
AsfAttribute MakeStringAttribute(std::string name, std::string_view utf8);

// The size a value of a fixed-size type must have; nothing for strings and binary.
std::optional<uint32_t> FixedValueSize(WMT_ATTR_DATATYPE type);
// True when value fits its type: fixed sizes exact, strings whole UTF-16 units.
bool ValueFitsType(WMT_ATTR_DATATYPE type, const std::vector<uint8_t>& value);

// The codes of the extended content description (0 string, 1 bytes, 2 BOOL of 32 bits, 3 DWORD,
// 4 QWORD, 5 WORD; no GUID) and of the metadata objects (the same, BOOL of 16 bits, 6 GUID).
std::optional<WMT_ATTR_DATATYPE> ApiTypeFromDiskType(uint16_t diskType);
std::optional<uint16_t> DiskTypeFromApiType(WMT_ATTR_DATATYPE type, AsfDescriptorSource source);

// The attribute a stored descriptor stands for; nothing when its value does not fit its type.
std::optional<AsfAttribute> AttributeFromDescriptor(const AsfDescriptor& descriptor);

// The value read as a number when the type is DWORD, BOOL, WORD or QWORD.
std::optional<uint64_t> AttributeNumber(const AsfAttribute& attribute);

}  // namespace korvel::asf
