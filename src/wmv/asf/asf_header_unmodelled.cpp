// Picking out the header children that AsfHeader does not model, so that a rewrite keeps them.
#include <algorithm>
#include <array>

#include "wmv/asf/asf_field_cursor.h"
#include "wmv/asf/asf_guids.h"
#include "wmv/asf/asf_header_object_write.h"
#include "wmv/asf/asf_header_serialize.h"

namespace korvel::asf {
namespace {

constexpr size_t kHeaderObjectHead = 30;

// What ParseAsfHeader and ParseHeaderExtension turn into AsfHeader fields.
constexpr std::array kModelledHeaderChildren = {
    kFilePropertiesObject, kStreamPropertiesObject, kHeaderExtensionObject, kContentDescriptionObject,
    kExtendedContentDescriptionObject, kCodecListObject, kScriptCommandObject, kMarkerObject,
    kStreamBitratePropertiesObject};
constexpr std::array kModelledExtensionChildren = {kExtendedStreamPropertiesObject, kMetadataObject,
                                                   kMetadataLibraryObject};

template <size_t N>
void KeepUnmodelled(const ByteView& region, const std::array<Guid, N>& modelled,
                    std::vector<std::vector<uint8_t>>& out) {
  std::vector<AsfObjectView> children;
  if (!SplitObjects(region, children)) return;
  for (const auto& child : children) {
    if (std::find(modelled.begin(), modelled.end(), child.id) == modelled.end()) {
      out.push_back(AsfObject(child.id, SpanOf(child.body)));
    }
  }
}

// The extension's children follow its reserved GUID, reserved word and 32-bit data size.
std::optional<ByteView> ExtensionData(const ByteView& body) {
  FieldCursor c{body};
  c.GuidField();
  c.U16();
  const auto size = c.U32();
  if (!size) return std::nullopt;
  return c.Bytes(*size);
}

}  // namespace

AsfUnmodelledObjects UnmodelledObjectsOf(const ByteView& headerObject) {
  AsfUnmodelledObjects kept;
  if (headerObject.size() < kHeaderObjectHead) return kept;
  const ByteView region = headerObject.Sub(kHeaderObjectHead, headerObject.size() - kHeaderObjectHead);
  KeepUnmodelled(region, kModelledHeaderChildren, kept.header);
  std::vector<AsfObjectView> children;
  if (!SplitObjects(region, children)) return kept;
  for (const auto& child : children) {
    if (child.id != kHeaderExtensionObject) continue;
    if (const auto data = ExtensionData(child.body)) KeepUnmodelled(*data, kModelledExtensionChildren, kept.extension);
  }
  return kept;
}

}  // namespace korvel::asf
