#include "wmv/wmv_header_copy.h"

#include <cctype>
#include <memory>
#include <utility>
#include <vector>

#include "base/byte_view.h"
#include "wmv/asf/asf_errors.h"
#include "wmv/asf/asf_metadata_editor.h"
#include "wmv/asf/asf_text.h"

namespace korvel {
namespace {

const asf::AsfAttribute* FindAttribute(const asf::AsfHeaderInfo& header, std::string_view name, uint16_t stream) {
  for (const asf::AsfAttribute& attribute : header.Attributes(stream))
    if (attribute.name == name) return &attribute;
  return nullptr;
}

template <typename T>
T LittleEndian(const std::vector<uint8_t>& bytes) {
  T value = 0;
  for (size_t i = 0; i < sizeof(T); ++i) value |= static_cast<T>(static_cast<T>(bytes[i]) << (8 * i));
  return value;
}

// Scripts and markers alike: those with times in [start, end] (end 0: no end) are added at
// base + time - start.
template <typename Entry>
HRESULT CopyTimedEntries(uint32_t count, const std::function<HRESULT(uint32_t, Entry&)>& get,
                         const std::function<HRESULT(const Entry&)>& add, uint64_t base, uint64_t start, uint64_t end) {
  for (uint32_t i = 0; i < count; ++i) {
    Entry entry;
    HRESULT result = get(i, entry);
    if (Failed(result)) return result;
    if (entry.time < start || (end != 0 && entry.time > end)) continue;
    entry.time = base + (entry.time - start);
    result = add(entry);
    if (Failed(result)) return result;
  }
  return S_OK;
}

}  // namespace

std::string TrimBlanks(std::string_view text) {
  const auto blank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return std::string(text);
}

HRESULT GetAttrQword(const asf::AsfHeaderInfo& header, std::string_view name, uint16_t stream, uint64_t& value) {
  const asf::AsfAttribute* attribute = FindAttribute(header, name, stream);
  if (!attribute) return asf::ASF_E_NOTFOUND;
  if (attribute->type != asf::WMT_TYPE_QWORD || attribute->value.size() != 8) return E_INVALIDARG;
  value = LittleEndian<uint64_t>(attribute->value);
  return S_OK;
}

HRESULT GetAttrDword(const asf::AsfHeaderInfo& header, std::string_view name, uint16_t stream, uint32_t& value) {
  const asf::AsfAttribute* attribute = FindAttribute(header, name, stream);
  if (!attribute) return asf::ASF_E_NOTFOUND;
  if ((attribute->type != asf::WMT_TYPE_DWORD && attribute->type != asf::WMT_TYPE_BOOL) ||
      attribute->value.size() != 4)
    return E_INVALIDARG;
  value = LittleEndian<uint32_t>(attribute->value);
  return S_OK;
}

HRESULT GetAttrText(const asf::AsfHeaderInfo& header, std::string_view name, uint16_t stream, std::string& value) {
  const asf::AsfAttribute* attribute = FindAttribute(header, name, stream);
  if (!attribute) return asf::ASF_E_NOTFOUND;
  if (attribute->type != asf::WMT_TYPE_STRING) return E_INVALIDARG;
  value = TrimBlanks(asf::Utf16LeToUtf8(ByteView(attribute->value)));
  return S_OK;
}

HRESULT SetAttrText(asf::AsfHeaderInfo& header, std::string_view name, uint16_t stream, std::string_view text) {
  const std::vector<uint8_t> bytes = asf::Utf8ToUtf16LeTerminated(text.empty() ? std::string_view(" ") : text);
  return header.SetAttribute(stream, name, asf::WMT_TYPE_STRING, bytes.data(), static_cast<uint32_t>(bytes.size()));
}

HRESULT GetVaultDword(const asf::AsfStreamConfig& config, std::string_view name, uint32_t& value) {
  asf::WMT_ATTR_DATATYPE type{};
  uint32_t size = 0;
  HRESULT result = config.GetPropertyByName(name, &type, nullptr, &size);
  if (Failed(result)) return result;
  if ((type != asf::WMT_TYPE_DWORD && type != asf::WMT_TYPE_BOOL) || size != 4) return E_INVALIDARG;
  std::vector<uint8_t> bytes(4);
  result = config.GetPropertyByName(name, &type, bytes.data(), &size);
  if (Failed(result)) return result;
  value = LittleEndian<uint32_t>(bytes);
  return S_OK;
}

HRESULT CopyAttributes(std::span<const uint16_t> streams, asf::AsfHeaderInfo& dst, const asf::AsfHeaderInfo& src) {
  std::vector<uint16_t> visited(streams.begin(), streams.end());
  visited.push_back(0);
  for (const uint16_t stream : visited) {
    for (const asf::AsfAttribute& attribute : src.Attributes(stream)) {
      if (attribute.name == "IsVBR" || attribute.name == "VBR Peak") continue;
      const HRESULT result = dst.SetAttribute(stream, attribute.name, attribute.type, attribute.value.data(),
                                              static_cast<uint32_t>(attribute.value.size()));
      if (Failed(result) && result != E_INVALIDARG) return result;
    }
  }
  return S_OK;
}

void CopyNoticeAttribute(asf::AsfHeaderInfo* dst, const asf::AsfHeaderInfo* src) {
  if (!dst || !src) return;
  std::string notice;
  if (Succeeded(GetAttrText(*src, "Copyright", 0, notice)) && !notice.empty())
    SetAttrText(*dst, "Copyright", 0, notice);
}

void CopyCodecInfo(asf::AsfWriter& writer, const asf::AsfHeaderInfo& src) {
  for (uint32_t input = 0; input < writer.GetInputCount(); ++input) writer.SetInputCompressed(input);
  asf::AsfHeaderInfo* dst = writer.HeaderInfo();
  if (!dst) return;
  for (uint32_t i = 0; i < src.GetCodecInfoCount(); ++i) {
    asf::AsfCodecInfo codec;
    if (Failed(src.GetCodecInfo(i, codec))) return;
    dst->AddCodecInfo(std::move(codec));
  }
}

HRESULT EditHeader(const std::filesystem::path& file, const std::function<HRESULT(asf::AsfHeaderTarget&)>& change) {
  if (file.empty()) return E_FAIL;
  const std::shared_ptr<asf::AsfMetadataEditor> editor = asf::CreateEditor();
  if (!editor) return E_OUTOFMEMORY;
  HRESULT result = editor->Open(file);
  if (Succeeded(result)) result = change(*editor);
  if (Succeeded(result)) result = editor->Flush();
  const HRESULT closed = editor->Close();
  return Failed(result) ? result : closed;
}

HRESULT CopyHeaderScripts(asf::AsfHeaderTarget& dst, const asf::AsfHeaderInfo& src, uint64_t base, uint64_t start,
                          uint64_t end) {
  return CopyTimedEntries<asf::AsfScript>(
      src.GetScriptCount(), [&src](uint32_t i, asf::AsfScript& script) { return src.GetScript(i, script); },
      [&dst](const asf::AsfScript& script) { return dst.AddScript(script); }, base, start, end);
}

HRESULT CopyMarkers(asf::AsfHeaderTarget& dst, const asf::AsfHeaderInfo& src, uint64_t base, uint64_t start,
                    uint64_t end) {
  return CopyTimedEntries<asf::AsfMarkerEntry>(
      src.GetMarkerCount(), [&src](uint32_t i, asf::AsfMarkerEntry& marker) { return src.GetMarker(i, marker); },
      [&dst](const asf::AsfMarkerEntry& marker) { return dst.AddMarker(marker); }, base, start, end);
}

HRESULT WriteScripts(const std::filesystem::path& file, CWmvScriptList& scripts) {
  if (scripts.Empty()) return S_OK;
  return EditHeader(file, [&scripts](asf::AsfHeaderTarget& target) {
    while (!scripts.Empty()) {
      const HRESULT result = target.AddScript(*scripts.First());
      if (Failed(result)) return result;
      scripts.Pop();
    }
    return S_OK;
  });
}

void WriteTagAttributes(asf::AsfHeaderInfo* dst, const asf::AsfHeaderInfo* src, std::string tagText,
                        uint64_t tagFlags) {
  if (!dst) return;
  if (tagText.empty() && src) {
    std::string sourceText;
    if (Succeeded(GetAttrText(*src, kTagTextAttribute, 0, sourceText))) tagText = std::move(sourceText);
  }
  if (!tagText.empty()) {
    const std::vector<uint8_t> bytes = asf::Utf8ToUtf16LeTerminated(tagText);
    dst->SetAttribute(0, kTagTextAttribute, asf::WMT_TYPE_STRING, bytes.data(), static_cast<uint32_t>(bytes.size()));
  }
  uint64_t sourceFlags = 0;
  if (src && Succeeded(GetAttrQword(*src, kTagFlagsAttribute, 0, sourceFlags))) tagFlags |= sourceFlags;
  if (tagFlags != 0) {
    uint8_t bytes[8];
    for (size_t i = 0; i < 8; ++i) bytes[i] = static_cast<uint8_t>(tagFlags >> (8 * i));
    dst->SetAttribute(0, kTagFlagsAttribute, asf::WMT_TYPE_QWORD, bytes, 8);
  }
}

}  // namespace korvel
