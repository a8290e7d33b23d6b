#pragma once
// Changes the header of a finished ASF file. Open reads the header only; Flush writes a new file
// with the changed header and the data and index copied unchanged, then renames it over the
// original, so a failure at any point leaves the original as it was. Close without Flush
// discards the changes.
#include <filesystem>
#include <memory>

#include "base/hresult.h"
#include "wmv/asf/asf_header_target.h"

namespace korvel::asf {

class AsfMetadataEditor : public AsfHeaderTarget {
public:
  AsfMetadataEditor();
  ~AsfMetadataEditor() override;
  AsfMetadataEditor(const AsfMetadataEditor&) = delete;
  AsfMetadataEditor& operator=(const AsfMetadataEditor&) = delete;

  // The errors of OpenAsfFile, or E_FAIL when the file cannot be opened.
  HRESULT Open(const std::filesystem::path& file);
  AsfHeaderInfo* HeaderInfo() override;
  HRESULT AddScript(const AsfScript& script) override;
  HRESULT AddMarker(const AsfMarkerEntry& marker) override;
  // NS_E_INVALID_REQUEST when not open or for a protected file (its encryption objects are not
  // rewritten); E_FAIL, with the original unchanged, when the new file cannot be written.
  HRESULT Flush();
  HRESULT Close();

private:
  struct State;
  std::unique_ptr<State> state_;
};

std::shared_ptr<AsfMetadataEditor> CreateEditor();

}  // namespace korvel::asf
