#include "wmv/asf/asf_attribute.h"

#include "base/byte_view.h"
#include "wmv/asf/asf_text.h"

namespace korvel::asf {
namespace {

std::vector<uint8_t> LittleEndian(uint64_t value, size_t bytes) {
  std::vector<uint8_t> out(bytes);
  for (size_t i = 0; i < bytes; ++i) out[i] = static_cast<uint8_t>(value >> (8 * i));
  return out;
}

// On disk the first four codes are string, bytes, BOOL and DWORD; the API numbers those four
// DWORD, string, bytes, BOOL. QWORD, WORD and GUID keep their codes.
constexpr WMT_ATTR_DATATYPE kApiTypeOfDiskType[] = {WMT_TYPE_STRING, WMT_TYPE_BINARY, WMT_TYPE_BOOL, WMT_TYPE_DWORD,
                                                    WMT_TYPE_QWORD,  WMT_TYPE_WORD,   WMT_TYPE_GUID};

}  // namespace

AsfAttribute MakeDwordAttribute(std::string name, uint32_t value) {
  return {std::move(name), WMT_TYPE_DWORD, LittleEndian(value, 4)};
}
AsfAttribute MakeQwordAttribute(std::string name, uint64_t value) {
  return {std::move(name), WMT_TYPE_QWORD, LittleEndian(value, 8)};
}
AsfAttribute MakeBoolAttribute(std::string name, bool value) {
  return {std::move(name), WMT_TYPE_BOOL, LittleEndian(value ? 1 : 0, 4)};
}
AsfAttribute MakeStringAttribute(std::string name, std::string_view utf8) {
  return {std::move(name), WMT_TYPE_STRING, Utf8ToUtf16LeTerminated(utf8)};
}

std::optional<uint32_t> FixedValueSize(WMT_ATTR_DATATYPE type) {
  switch (type) {
    case WMT_TYPE_DWORD:
    case WMT_TYPE_BOOL: return 4;
    case WMT_TYPE_QWORD: return 8;
    case WMT_TYPE_WORD: return 2;
    case WMT_TYPE_GUID: return 16;
    default: return std::nullopt;
  }
}

bool ValueFitsType(WMT_ATTR_DATATYPE type, const std::vector<uint8_t>& value) {
  if (type > WMT_TYPE_GUID) return false;
  if (const auto size = FixedValueSize(type)) return value.size() == *size;
  return type != WMT_TYPE_STRING || value.size() % 2 == 0;
}

std::optional<WMT_ATTR_DATATYPE> ApiTypeFromDiskType(uint16_t diskType) {
  if (diskType >= std::size(kApiTypeOfDiskType)) return std::nullopt;
  return kApiTypeOfDiskType[diskType];
}

std::optional<uint16_t> DiskTypeFromApiType(WMT_ATTR_DATATYPE type, AsfDescriptorSource source) {
  for (uint16_t code = 0; code < std::size(kApiTypeOfDiskType); ++code) {
    if (kApiTypeOfDiskType[code] != type) continue;
    if (type == WMT_TYPE_GUID && source == AsfDescriptorSource::kExtendedContentDescription) return std::nullopt;
    return code;
  }
  return std::nullopt;
}

std::optional<AsfAttribute> AttributeFromDescriptor(const AsfDescriptor& d) {
  const auto type = ApiTypeFromDiskType(d.diskType);
  if (!type || (*type == WMT_TYPE_GUID && d.source == AsfDescriptorSource::kExtendedContentDescription)) {
    return std::nullopt;
  }
  AsfAttribute a{d.name, *type, d.value, d.languageIndex};
  if (*type == WMT_TYPE_BOOL) {
    // The metadata objects store BOOL in 16 bits; callers always get 32.
    const size_t diskSize = d.source == AsfDescriptorSource::kExtendedContentDescription ? 4 : 2;
    if (d.value.size() != diskSize) return std::nullopt;
    const ByteView v(d.value);
    const bool set = diskSize == 4 ? *v.U32LE(0) != 0 : *v.U16LE(0) != 0;
    a.value = LittleEndian(set ? 1 : 0, 4);
  } else if (*type == WMT_TYPE_STRING) {
    // Whole UTF-16 units ending in a NUL, whatever the file stored.
    a.value.resize(a.value.size() & ~size_t{1});
    if (a.value.size() < 2 || a.value[a.value.size() - 1] != 0 || a.value[a.value.size() - 2] != 0) {
      a.value.push_back(0);
      a.value.push_back(0);
    }
  }
  if (!ValueFitsType(a.type, a.value)) return std::nullopt;
  return a;
}

std::optional<uint64_t> AttributeNumber(const AsfAttribute& a) {
  if (a.type != WMT_TYPE_DWORD && a.type != WMT_TYPE_BOOL && a.type != WMT_TYPE_QWORD && a.type != WMT_TYPE_WORD) {
    return std::nullopt;
  }
  if (!ValueFitsType(a.type, a.value)) return std::nullopt;
  uint64_t n = 0;
  for (size_t i = 0; i < a.value.size(); ++i) n |= uint64_t{a.value[i]} << (8 * i);
  return n;
}

}  // namespace korvel::asf
