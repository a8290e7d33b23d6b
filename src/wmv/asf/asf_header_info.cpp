#include "wmv/asf/asf_header_info.h"

#include <algorithm>
#include <array>
#include <span>

#include "wmv/asf/asf_errors.h"
#include "wmv/asf/asf_guids.h"

namespace korvel::asf {
namespace {

constexpr std::array<std::string_view, 22> kDerivedNames = {
    "Duration",     "Bitrate",         "Seekable",        "Stridable",        "Broadcast",       "Is_Protected",
    "Is_Trusted",   "Signature_Name",  "HasAudio",        "HasImage",         "HasScript",       "HasVideo",
    "CurrentBitrate", "OptimalBitrate", "HasAttachedImages", "Can_Skip_Backward", "Can_Skip_Forward",
    "NumberOfFrames", "FileSize",      "HasArbitraryDataStream", "HasFileTransferStream", "IsVBR"};

uint64_t WithoutPreroll(uint64_t time, uint64_t prerollMs) {
  const uint64_t preroll = prerollMs > UINT64_MAX / 10000 ? UINT64_MAX : prerollMs * 10000;
  return time > preroll ? time - preroll : 0;
}

bool AnyStreamOfType(const AsfProfile& profile, const Guid& type) {
  AsfStreamConfig s;
  for (uint32_t i = 0; i < profile.GetStreamCount(); ++i) {
    if (Succeeded(profile.GetStream(i, s)) && s.GetStreamType() == type) return true;
  }
  return false;
}

bool StreamIsVbr(const AsfStreamConfig& s) {
  WMT_ATTR_DATATYPE type{};
  std::array<uint8_t, 4> value{};
  uint32_t size = value.size();
  return Succeeded(s.GetPropertyByName("_VBRENABLED", &type, value.data(), &size)) && value != std::array<uint8_t, 4>{};
}

std::vector<AsfAttribute> DerivedAttributes(const AsfHeader& header, const AsfProfile& profile, const AsfFileFacts& facts) {
  const uint64_t duration = WithoutPreroll(header.file.playDuration, header.file.preroll);
  uint64_t bitrate = 0;
  bool vbr = false, encrypted = header.protectedContent;
  uint64_t frameTime = 0;
  AsfStreamConfig s;
  for (uint32_t i = 0; i < profile.GetStreamCount(); ++i) {
    if (Failed(profile.GetStream(i, s))) continue;
    bitrate += s.GetBitrate();
    vbr = vbr || StreamIsVbr(s);
    if (frameTime == 0 && s.GetStreamType() == WMMEDIATYPE_Video) {
      if (const auto* ext = header.ExtendedStream(s.GetStreamNumber())) frameTime = ext->averageTimePerFrame;
    }
  }
  for (const auto& stream : header.streams) encrypted = encrypted || stream.encrypted;
  std::vector<AsfAttribute> out = {
      MakeQwordAttribute("Duration", duration),
      MakeDwordAttribute("Bitrate", static_cast<uint32_t>(std::min<uint64_t>(bitrate, UINT32_MAX))),
      MakeBoolAttribute("Seekable", facts.usableIndex),
      MakeBoolAttribute("Broadcast", header.file.Broadcast()),
      MakeBoolAttribute("Is_Protected", encrypted),
      MakeQwordAttribute("FileSize", facts.fileSize),
      MakeBoolAttribute("HasAudio", AnyStreamOfType(profile, WMMEDIATYPE_Audio)),
      MakeBoolAttribute("HasVideo", AnyStreamOfType(profile, WMMEDIATYPE_Video)),
      MakeBoolAttribute("HasImage", AnyStreamOfType(profile, WMMEDIATYPE_Image)),
      MakeBoolAttribute("HasScript", AnyStreamOfType(profile, WMMEDIATYPE_Script)),
      MakeBoolAttribute("IsVBR", vbr),
  };
  if (frameTime != 0) out.push_back(MakeQwordAttribute("NumberOfFrames", duration / frameTime));
  return out;
}

void AddContentDescription(const AsfContentDescription& cd, std::vector<AsfAttribute>& out) {
  const std::pair<const char*, const std::string*> fields[] = {
      {"Title", &cd.title}, {"Author", &cd.author}, {"Copyright", &cd.copyright},
      {"Description", &cd.description}, {"Rating", &cd.rating}};
  for (const auto& [name, text] : fields) {
    if (!text->empty()) out.push_back(MakeStringAttribute(name, *text));
  }
}

}  // namespace

bool AsfHeaderInfo::IsDerivedAttribute(std::string_view name) {
  return std::find(kDerivedNames.begin(), kDerivedNames.end(), name) != kDerivedNames.end();
}

AsfHeaderInfo AsfHeaderInfo::FromHeader(const AsfHeader& header, const AsfProfile& profile, const AsfFileFacts& facts) {
  AsfHeaderInfo info;
  auto& fileLevel = info.attributes_[0];
  fileLevel = DerivedAttributes(header, profile, facts);
  if (header.contentDescription) AddContentDescription(*header.contentDescription, fileLevel);
  for (const auto& d : header.descriptors) {
    if (d.streamNumber == 0 && IsDerivedAttribute(d.name)) continue;
    if (auto a = AttributeFromDescriptor(d)) info.attributes_[d.streamNumber].push_back(std::move(*a));
  }
  const uint64_t preroll = header.file.preroll;
  for (const auto& m : header.markers) info.markers_.push_back({m.name, WithoutPreroll(m.time, preroll)});
  for (const auto& s : header.scripts) info.scripts_.push_back({s.type, s.command, WithoutPreroll(s.time, preroll)});
  for (const auto& c : header.codecs) {
    const WMT_CODEC_INFO_TYPE type = c.type == 1 ? WMT_CODECINFO_VIDEO : c.type == 2 ? WMT_CODECINFO_AUDIO : WMT_CODECINFO_UNKNOWN;
    info.codecs_.push_back({c.name, c.description, type, c.info});
  }
  return info;
}

const std::vector<AsfAttribute>& AsfHeaderInfo::Attributes(uint16_t stream) const {
  static const std::vector<AsfAttribute> kNone;
  const auto it = attributes_.find(stream);
  return it == attributes_.end() ? kNone : it->second;
}

std::vector<uint16_t> AsfHeaderInfo::AttributeStreams() const {
  std::vector<uint16_t> streams;
  for (const auto& [stream, list] : attributes_) {
    if (!list.empty()) streams.push_back(stream);
  }
  return streams;
}

const AsfAttribute* AsfHeaderInfo::Find(uint16_t stream, std::string_view name) const {
  for (const auto& a : Attributes(stream)) {
    if (a.name == name) return &a;
  }
  return nullptr;
}

HRESULT AsfHeaderInfo::GetAttributeCount(uint16_t stream, uint16_t* count) const {
  if (!count) return E_INVALIDARG;
  *count = static_cast<uint16_t>(std::min<size_t>(Attributes(stream).size(), UINT16_MAX));
  return S_OK;
}

HRESULT AsfHeaderInfo::GetAttributeByIndex(uint16_t stream, uint16_t index, std::string* name, WMT_ATTR_DATATYPE* type,
                                           uint8_t* value, uint32_t* length) const {
  const auto& list = Attributes(stream);
  if (index >= list.size()) return E_INVALIDARG;
  const HRESULT hr = CopyOut(list[index].value, value, length);
  if (Failed(hr)) return hr;
  if (name) *name = list[index].name;
  if (type) *type = list[index].type;
  return S_OK;
}

HRESULT AsfHeaderInfo::GetAttributeByName(uint16_t stream, std::string_view name, WMT_ATTR_DATATYPE* type,
                                          uint8_t* value, uint32_t* length) const {
  const AsfAttribute* a = Find(stream, name);
  if (!a) return ASF_E_NOTFOUND;
  const HRESULT hr = CopyOut(a->value, value, length);
  if (Succeeded(hr) && type) *type = a->type;
  return hr;
}

HRESULT AsfHeaderInfo::SetAttribute(uint16_t stream, std::string_view name, WMT_ATTR_DATATYPE type,
                                    const uint8_t* value, uint32_t length) {
  if (name.empty() || IsDerivedAttribute(name) || stream > 127 || (!value && length != 0)) return E_INVALIDARG;
  const std::span<const uint8_t> bytes(value, length);
  AsfAttribute a{std::string(name), type, std::vector<uint8_t>(bytes.begin(), bytes.end())};
  if (!ValueFitsType(type, a.value)) return E_INVALIDARG;
  auto& list = attributes_[stream];
  const auto it = std::find_if(list.begin(), list.end(), [&](const auto& x) { return x.name == name; });
  if (it != list.end()) {
    *it = std::move(a);
  } else {
    list.push_back(std::move(a));
  }
  return S_OK;
}

HRESULT AsfHeaderInfo::GetMarker(uint32_t index, AsfMarkerEntry& out) const {
  if (index >= markers_.size()) return E_INVALIDARG;
  out = markers_[index];
  return S_OK;
}

HRESULT AsfHeaderInfo::GetScript(uint32_t index, AsfScript& out) const {
  if (index >= scripts_.size()) return E_INVALIDARG;
  out = scripts_[index];
  return S_OK;
}

void AsfHeaderInfo::AddScript(std::string type, std::string command, uint64_t time) {
  scripts_.push_back({std::move(type), std::move(command), time});
}

HRESULT AsfHeaderInfo::GetCodecInfo(uint32_t index, AsfCodecInfo& out) const {
  if (index >= codecs_.size()) return E_INVALIDARG;
  out = codecs_[index];
  return S_OK;
}

}  // namespace korvel::asf
