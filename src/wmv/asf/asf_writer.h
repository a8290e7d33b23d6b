#pragma once
// Writes compressed samples into a new ASF file: one input per stream of the profile it is
// given, samples stored unchanged at their times in fixed-size data packets, the file properties
// completed and a simple index for every video stream written when writing ends, so that other
// players can seek in the result.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string_view>

#include "base/hresult.h"
#include "wmv/asf/asf_attribute.h"
#include "wmv/asf/asf_header_target.h"
#include "wmv/asf/asf_profile.h"
#include "wmv/asf/asf_stream_config.h"

namespace korvel::asf {

class AsfWriter : public AsfHeaderTarget {
public:
  AsfWriter();
  ~AsfWriter() override;
  AsfWriter(const AsfWriter&) = delete;
  AsfWriter& operator=(const AsfWriter&) = delete;

  // Takes a snapshot; stream numbers are kept exactly. Only before writing begins.
  HRESULT SetProfile(const AsfProfile& profile);
  // Remembers the name; the file is created by BeginWriting.
  HRESULT SetOutputFilename(const std::filesystem::path& file);
  uint32_t GetInputCount() const;
  // The stream configuration behind an input (inputs follow the profile's stream order).
  HRESULT GetInputProps(uint32_t input, AsfStreamConfig& config) const;
  // Samples of every input are written compressed; this only checks the input exists.
  HRESULT SetInputCompressed(uint32_t input);
  // Encoder settings ("InterlacedCoding", "DeinterlaceMode") are accepted and have no effect on
  // compressed samples.
  HRESULT SetInputSetting(uint32_t input, std::string_view name, WMT_ATTR_DATATYPE type, const uint8_t* value,
                          uint32_t length);

  // Attributes and codec descriptions: until BeginWriting. Derived attributes are refused with
  // E_INVALIDARG and computed from what is written.
  AsfHeaderInfo* HeaderInfo() override;
  // Before EndWriting they go into the header; after it they are stored into the finished file
  // through the header editor.
  HRESULT AddScript(const AsfScript& script) override;
  HRESULT AddMarker(const AsfMarkerEntry& marker) override;

  // Creates the output file; fails when it cannot be created.
  HRESULT BeginWriting();
  // time and duration in 100 ns without preroll; flags WM_SF_CLEANPOINT marks a key frame.
  // extensions: the payload extension data as the reader delivers it (AsfSample::extensions),
  // kept when the stream declares the same extension systems. The bytes are stored unchanged.
  HRESULT WriteStreamSample(uint16_t streamNumber, uint64_t time, uint64_t duration, uint32_t flags,
                            std::span<const uint8_t> bytes, std::span<const uint8_t> extensions = {});
  // Completes the file; a second call returns NS_E_INVALID_REQUEST and leaves the file alone.
  HRESULT EndWriting();

private:
  struct State;
  std::unique_ptr<State> state_;
};

std::shared_ptr<AsfWriter> CreateWriter();

}  // namespace korvel::asf
