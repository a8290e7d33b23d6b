#pragma once
// One stream of a profile: its number, type, rates, data-unit extensions, media type and the
// property vault. A plain value: profiles hand out copies and take changed copies back.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/guid.h"
#include "base/hresult.h"
#include "wmv/asf/asf_attribute.h"
#include "wmv/asf/asf_header.h"
#include "wmv/asf/asf_media_type.h"

namespace korvel::asf {

struct AsfDataUnitExtension {
  Guid system;
  uint16_t size = 0;  // 0xFFFF: variable
  std::vector<uint8_t> info;
};

class AsfStreamConfig {
public:
  // The stream type is the media type's major type (video, audio, script, image ...).
  Guid GetStreamType() const { return mediaType_.majortype; }
  uint16_t GetStreamNumber() const { return number_; }
  HRESULT SetStreamNumber(uint16_t number);
  uint32_t GetBitrate() const { return bitrate_; }
  void SetBitrate(uint32_t bitrate) { bitrate_ = bitrate; }
  uint32_t GetBufferWindow() const { return bufferWindow_; }  // ms
  void SetBufferWindow(uint32_t ms) { bufferWindow_ = ms; }

  uint16_t GetDataUnitExtensionCount() const { return static_cast<uint16_t>(extensions_.size()); }
  HRESULT GetDataUnitExtension(uint16_t index, AsfDataUnitExtension& out) const;
  void AddDataUnitExtension(AsfDataUnitExtension extension) { extensions_.push_back(std::move(extension)); }

  const WmMediaType& MediaType() const { return mediaType_; }
  // The contiguous media type buffer: with buffer null only *size is set; a buffer smaller than
  // the type fails with ASF_E_BUFFERTOOSMALL and is left untouched.
  HRESULT GetMediaType(uint8_t* buffer, uint32_t* size) const;
  void SetMediaType(WmMediaType type) { mediaType_ = std::move(type); }

  // Stream properties: "_VBRENABLED" (BOOL), "_RMAX", "_BMAX", "_VBRQUALITY" (DWORD). A property
  // the file says nothing about gives ASF_E_NOTFOUND. Sizes as for GetMediaType.
  HRESULT GetPropertyByName(std::string_view name, WMT_ATTR_DATATYPE* type, uint8_t* value, uint32_t* size) const;
  void SetProperty(AsfAttribute property);

private:
  uint16_t number_ = 0;
  uint32_t bitrate_ = 0;
  uint32_t bufferWindow_ = 0;
  std::vector<AsfDataUnitExtension> extensions_;
  WmMediaType mediaType_;
  std::vector<AsfAttribute> properties_;
};

// Copies bytes into a caller's buffer under the size-query rules shared by every getter.
HRESULT CopyOut(const std::vector<uint8_t>& bytes, uint8_t* buffer, uint32_t* size);

}  // namespace korvel::asf
