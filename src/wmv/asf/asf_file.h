#pragma once
// An opened ASF file: its parsed header, where its data packets lie and its simple index.
// Opening reads the header and the objects after the data object; packets stay in the stream.
#include <cstdint>
#include <memory>
#include <optional>

#include "base/hresult.h"
#include "wmv/asf/asf_byte_stream.h"
#include "wmv/asf/asf_header.h"
#include "wmv/asf/asf_header_info.h"
#include "wmv/asf/asf_profile.h"
#include "wmv/asf/asf_simple_index.h"

namespace korvel::asf {

// Headers and index objects larger than this are refused rather than read into memory.
inline constexpr uint64_t kMaxHeaderBytes = 64ull << 20;
inline constexpr uint64_t kMaxIndexBytes = 64ull << 20;

struct AsfFile {
  std::shared_ptr<AsfByteStream> stream;
  uint64_t fileSize = 0;
  AsfHeader header;
  uint64_t firstPacketOffset = 0;
  uint32_t packetSize = 0;
  uint64_t packetCount = 0;  // packets the data object declares room for; the last ones may be missing
  std::optional<AsfSimpleIndex> simpleIndex;  // only when usable

  uint64_t PrerollTime() const;  // 100 ns
  uint64_t PacketOffset(uint64_t packet) const { return firstPacketOffset + packet * packetSize; }
};

// NS_E_INVALID_INPUT_FORMAT when the stream is not ASF; NS_E_FILE_CORRUPTED when the header or the
// data object cannot be used; E_FAIL when the stream cannot be read.
HRESULT OpenAsfFile(std::shared_ptr<AsfByteStream> stream, AsfFile& file);

// The profile and header information of an opened file.
AsfProfile ProfileOf(const AsfFile& file);
AsfHeaderInfo HeaderInfoOf(const AsfFile& file, const AsfProfile& profile);

}  // namespace korvel::asf
