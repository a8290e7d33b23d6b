#include "wmv/asf/asf_stream_config.h"

#include <algorithm>

#include "wmv/asf/asf_errors.h"

namespace korvel::asf {

HRESULT CopyOut(const std::vector<uint8_t>& bytes, uint8_t* buffer, uint32_t* size) {
  if (!size || bytes.size() > UINT32_MAX) return E_INVALIDARG;
  const uint32_t capacity = *size;
  *size = static_cast<uint32_t>(bytes.size());
  if (!buffer) return S_OK;
  if (capacity < bytes.size()) return ASF_E_BUFFERTOOSMALL;
  std::copy(bytes.begin(), bytes.end(), buffer);
  return S_OK;
}

HRESULT AsfStreamConfig::SetStreamNumber(uint16_t number) {
  if (number < 1 || number > 127) return E_INVALIDARG;
  number_ = number;
  return S_OK;
}

HRESULT AsfStreamConfig::GetDataUnitExtension(uint16_t index, AsfDataUnitExtension& out) const {
  if (index >= extensions_.size()) return E_INVALIDARG;
  out = extensions_[index];
  return S_OK;
}

HRESULT AsfStreamConfig::GetMediaType(uint8_t* buffer, uint32_t* size) const {
  return CopyOut(mediaType_.ToBuffer(), buffer, size);
}

HRESULT AsfStreamConfig::GetPropertyByName(std::string_view name, WMT_ATTR_DATATYPE* type, uint8_t* value,
                                           uint32_t* size) const {
  const auto it = std::find_if(properties_.begin(), properties_.end(), [&](const auto& p) { return p.name == name; });
  if (it == properties_.end()) return ASF_E_NOTFOUND;
  if (type) *type = it->type;
  return CopyOut(it->value, value, size);
}

void AsfStreamConfig::SetProperty(AsfAttribute property) {
  const auto it =
      std::find_if(properties_.begin(), properties_.end(), [&](const auto& p) { return p.name == property.name; });
  if (it != properties_.end()) {
    *it = std::move(property);
  } else {
    properties_.push_back(std::move(property));
  }
}

}  // namespace korvel::asf
