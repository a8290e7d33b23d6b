#pragma once
// The streams of a file as a private, mutable list of stream configurations. Callers get
// copies, change them and commit them back by stream number; a writer takes a snapshot.
#include <cstdint>
#include <vector>

#include "base/hresult.h"
#include "wmv/asf/asf_header.h"
#include "wmv/asf/asf_stream_config.h"

namespace korvel::asf {

class AsfProfile {
public:
  // One configuration per stream of the header, in file order.
  static AsfProfile FromHeader(const AsfHeader& header);

  uint32_t GetStreamCount() const { return static_cast<uint32_t>(streams_.size()); }
  HRESULT GetStream(uint32_t index, AsfStreamConfig& copy) const;
  HRESULT GetStreamByNumber(uint16_t number, AsfStreamConfig& copy) const;
  // Replaces the stream with the same number; ASF_E_NOTFOUND when there is none.
  HRESULT ReconfigStream(const AsfStreamConfig& config);
  HRESULT RemoveStreamByNumber(uint16_t number);

private:
  std::vector<AsfStreamConfig> streams_;
};

}  // namespace korvel::asf
