#pragma once
// Where header changes go: the writer before and after it finishes, and the header editor.
// Scripts and markers can be added at any time and are stored in the file; attributes and codec
// descriptions only while HeaderInfo() gives an object.
#include "base/hresult.h"
#include "wmv/asf/asf_header_info.h"

namespace korvel::asf {

class AsfHeaderTarget {
public:
  virtual ~AsfHeaderTarget() = default;
  // Null when the header can no longer change this way (the writer once writing has begun, an
  // editor that is not open).
  virtual AsfHeaderInfo* HeaderInfo() = 0;
  // Times in 100 ns without preroll.
  virtual HRESULT AddScript(const AsfScript& script) = 0;
  virtual HRESULT AddMarker(const AsfMarkerEntry& marker) = 0;
};

}  // namespace korvel::asf
