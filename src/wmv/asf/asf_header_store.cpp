#include "wmv/asf/asf_header_store.h"

#include <algorithm>
#include <array>
#include <limits>
#include <optional>

#include "wmv/asf/asf_text.h"

namespace korvel::asf {
namespace {

constexpr std::array<std::string_view, 5> kContentDescriptionNames = {"Title", "Author", "Copyright", "Description",
                                                                      "Rating"};

std::string* ContentField(AsfContentDescription& cd, size_t index) {
  std::string* const fields[] = {&cd.title, &cd.author, &cd.copyright, &cd.description, &cd.rating};
  return fields[index];
}

std::optional<size_t> ContentFieldIndex(std::string_view name) {
  const auto it = std::find(kContentDescriptionNames.begin(), kContentDescriptionNames.end(), name);
  if (it == kContentDescriptionNames.end()) return std::nullopt;
  return static_cast<size_t>(it - kContentDescriptionNames.begin());
}

uint64_t WithPreroll(uint64_t time, uint64_t prerollMs) {
  const uint64_t preroll = prerollMs > UINT64_MAX / 10000 ? UINT64_MAX : prerollMs * 10000;
  return time > UINT64_MAX - preroll ? UINT64_MAX : time + preroll;
}

// Where an attribute can be stored, as files usually have it: the extended content description
// holds file-level values up to 64 KiB without a language and no GUID; the metadata object
// holds the same for single streams, GUIDs included; the metadata library holds everything.
bool SourceHolds(AsfDescriptorSource source, uint16_t stream, const AsfAttribute& a) {
  const bool small = a.language == 0 && a.value.size() <= UINT16_MAX;
  switch (source) {
    case AsfDescriptorSource::kExtendedContentDescription: return stream == 0 && small && a.type != WMT_TYPE_GUID;
    case AsfDescriptorSource::kMetadata: return stream != 0 && small;
    case AsfDescriptorSource::kMetadataLibrary: return true;
  }
  return false;
}

const AsfDescriptor* Previous(const std::vector<AsfDescriptor>& previous, uint16_t stream, const std::string& name) {
  for (const auto& d : previous) {
    if (d.streamNumber == stream && d.name == name) return &d;
  }
  return nullptr;
}

// An attribute the file had stays in the object it came from while that object can hold it.
AsfDescriptorSource SourceFor(uint16_t stream, const AsfAttribute& a, const AsfDescriptor* previous) {
  if (previous && SourceHolds(previous->source, stream, a)) return previous->source;
  for (const auto source : {AsfDescriptorSource::kExtendedContentDescription, AsfDescriptorSource::kMetadata}) {
    if (SourceHolds(source, stream, a)) return source;
  }
  return AsfDescriptorSource::kMetadataLibrary;
}

std::optional<AsfDescriptor> DescriptorOf(uint16_t stream, const AsfAttribute& a, const AsfDescriptor* previous) {
  AsfDescriptor d;
  d.source = SourceFor(stream, a, previous);
  const auto diskType = DiskTypeFromApiType(a.type, d.source);
  if (!diskType || !ValueFitsType(a.type, a.value)) return std::nullopt;
  d.streamNumber = stream;
  d.languageIndex = a.language;
  d.name = a.name;
  d.diskType = *diskType;
  d.value = a.value;
  // The metadata objects store BOOL in 16 bits.
  if (a.type == WMT_TYPE_BOOL && d.source != AsfDescriptorSource::kExtendedContentDescription) {
    d.value = {static_cast<uint8_t>(AttributeNumber(a).value_or(0) != 0 ? 1 : 0), 0};
  }
  return d;
}

struct StoredAttributes {
  std::optional<AsfContentDescription> contentDescription;
  std::vector<AsfDescriptor> descriptors;
};

std::optional<StoredAttributes> StoreAttributes(const AsfHeaderInfo& info, const std::vector<AsfDescriptor>& previous) {
  StoredAttributes out;
  AsfContentDescription cd;
  std::array<bool, kContentDescriptionNames.size()> cdSet{};
  // Each descriptor with where its predecessor stood, so that what the file had keeps its order.
  std::vector<std::pair<size_t, AsfDescriptor>> placed;
  for (const uint16_t stream : info.AttributeStreams()) {
    for (const auto& a : info.Attributes(stream)) {
      if (stream == 0 && AsfHeaderInfo::IsDerivedAttribute(a.name)) continue;
      const auto field = ContentFieldIndex(a.name);
      if (stream == 0 && field && a.type == WMT_TYPE_STRING && a.language == 0) {
        // The getters answer with the first attribute of a name; so does the file.
        if (!cdSet[*field]) *ContentField(cd, *field) = Utf16LeToUtf8(ByteView(a.value));
        cdSet[*field] = true;
        continue;
      }
      const AsfDescriptor* before = Previous(previous, stream, a.name);
      auto d = DescriptorOf(stream, a, before);
      if (!d) return std::nullopt;
      const size_t rank = before ? static_cast<size_t>(before - previous.data()) : std::numeric_limits<size_t>::max();
      placed.emplace_back(rank, std::move(*d));
    }
  }
  std::stable_sort(placed.begin(), placed.end(), [](const auto& x, const auto& y) { return x.first < y.first; });
  for (auto& [rank, d] : placed) out.descriptors.push_back(std::move(d));
  if (std::find(cdSet.begin(), cdSet.end(), true) != cdSet.end()) out.contentDescription = cd;
  return out;
}

std::vector<AsfMarker> StoreMarkers(const AsfHeaderInfo& info, const AsfHeader& header) {
  std::vector<AsfMarker> out;
  std::vector<bool> used(header.markers.size());
  AsfMarkerEntry entry;
  for (uint32_t i = 0; i < info.GetMarkerCount() && Succeeded(info.GetMarker(i, entry)); ++i) {
    AsfMarker m{entry.name, WithPreroll(entry.time, header.file.preroll), 0, 0};
    // A marker the file had keeps its data offset and send time; those of a new one are unknown.
    for (size_t k = 0; k < header.markers.size(); ++k) {
      const auto& old = header.markers[k];
      if (!used[k] && old.name == m.name && old.time == m.time) {
        m.offset = old.offset;
        m.sendTime = old.sendTime;
        used[k] = true;
        break;
      }
    }
    out.push_back(std::move(m));
  }
  return out;
}

std::vector<AsfScriptCommand> StoreScripts(const AsfHeaderInfo& info, uint64_t prerollMs) {
  std::vector<AsfScriptCommand> out;
  AsfScript s;
  for (uint32_t i = 0; i < info.GetScriptCount() && Succeeded(info.GetScript(i, s)); ++i) {
    out.push_back({s.type, s.command, WithPreroll(s.time, prerollMs)});
  }
  return out;
}

std::vector<AsfCodecEntry> StoreCodecs(const AsfHeaderInfo& info) {
  std::vector<AsfCodecEntry> out;
  AsfCodecInfo c;
  for (uint32_t i = 0; i < info.GetCodecInfoCount() && Succeeded(info.GetCodecInfo(i, c)); ++i) {
    const uint16_t type = c.type == WMT_CODECINFO_VIDEO ? 1 : c.type == WMT_CODECINFO_AUDIO ? 2 : 0xFFFF;
    out.push_back({type, c.name, c.description, c.info});
  }
  return out;
}

}  // namespace

HRESULT StoreHeaderInfo(const AsfHeaderInfo& info, AsfHeader& header) {
  auto attributes = StoreAttributes(info, header.descriptors);
  if (!attributes) return E_INVALIDARG;
  header.markers = StoreMarkers(info, header);
  header.scripts = StoreScripts(info, header.file.preroll);
  header.codecs = StoreCodecs(info);
  header.contentDescription = std::move(attributes->contentDescription);
  header.descriptors = std::move(attributes->descriptors);
  return S_OK;
}

}  // namespace korvel::asf
