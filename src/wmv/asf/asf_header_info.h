#pragma once
// The header information callers read and change: attributes by name and by index, at file
// level (stream 0) and per stream; markers, script commands and codec descriptions. Times are
// 100 ns without preroll. Attributes the file cannot simply state ("Duration", "Seekable",
// "FileSize" ...) are computed from the file and cannot be set.
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "base/hresult.h"
#include "wmv/asf/asf_attribute.h"
#include "wmv/asf/asf_header.h"
#include "wmv/asf/asf_profile.h"

namespace korvel::asf {

// What the header alone cannot tell.
struct AsfFileFacts {
  uint64_t fileSize = 0;
  bool usableIndex = false;  // a simple index a reader can seek with
};

enum WMT_CODEC_INFO_TYPE : uint32_t { WMT_CODECINFO_AUDIO = 0, WMT_CODECINFO_VIDEO = 1, WMT_CODECINFO_UNKNOWN = 0xFFFFFFFF };

struct AsfCodecInfo {
  std::string name, description;
  WMT_CODEC_INFO_TYPE type = WMT_CODECINFO_UNKNOWN;
  std::vector<uint8_t> info;
};

struct AsfScript {
  std::string type, command;
  uint64_t time = 0;
};

struct AsfMarkerEntry {
  std::string name;
  uint64_t time = 0;
};

class AsfHeaderInfo {
public:
  static AsfHeaderInfo FromHeader(const AsfHeader& header, const AsfProfile& profile, const AsfFileFacts& facts);

  // True for the names whose values are computed from the file.
  static bool IsDerivedAttribute(std::string_view name);

  HRESULT GetAttributeCount(uint16_t stream, uint16_t* count) const;
  // Value sizes work as in every getter: with value null only *length is set; a buffer too
  // small fails with ASF_E_BUFFERTOOSMALL and is left untouched.
  HRESULT GetAttributeByIndex(uint16_t stream, uint16_t index, std::string* name, WMT_ATTR_DATATYPE* type,
                              uint8_t* value, uint32_t* length) const;
  HRESULT GetAttributeByName(uint16_t stream, std::string_view name, WMT_ATTR_DATATYPE* type, uint8_t* value,
                             uint32_t* length) const;
  // E_INVALIDARG for a derived name, a type above 6 or a value that does not fit its type.
  HRESULT SetAttribute(uint16_t stream, std::string_view name, WMT_ATTR_DATATYPE type, const uint8_t* value,
                       uint32_t length);
  const std::vector<AsfAttribute>& Attributes(uint16_t stream) const;
  // The streams (0: file level) that have attributes, in increasing order.
  std::vector<uint16_t> AttributeStreams() const;

  uint32_t GetMarkerCount() const { return static_cast<uint32_t>(markers_.size()); }
  HRESULT GetMarker(uint32_t index, AsfMarkerEntry& out) const;
  void AddMarker(std::string name, uint64_t time) { markers_.push_back({std::move(name), time}); }

  uint32_t GetScriptCount() const { return static_cast<uint32_t>(scripts_.size()); }
  HRESULT GetScript(uint32_t index, AsfScript& out) const;
  void AddScript(std::string type, std::string command, uint64_t time);

  uint32_t GetCodecInfoCount() const { return static_cast<uint32_t>(codecs_.size()); }
  HRESULT GetCodecInfo(uint32_t index, AsfCodecInfo& out) const;
  void AddCodecInfo(AsfCodecInfo codec) { codecs_.push_back(std::move(codec)); }

private:
  const AsfAttribute* Find(uint16_t stream, std::string_view name) const;

  std::map<uint16_t, std::vector<AsfAttribute>> attributes_;
  std::vector<AsfMarkerEntry> markers_;
  std::vector<AsfScript> scripts_;
  std::vector<AsfCodecInfo> codecs_;
};

}  // namespace korvel::asf
