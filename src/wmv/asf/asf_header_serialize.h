#pragma once
// Writing an AsfHeader back as a header object: the inverse of ParseAsfHeader, so that a header
// read from a file, changed and written again keeps everything the data packets depend on.
#include <cstdint>
#include <vector>

#include "base/byte_view.h"
#include "wmv/asf/asf_header.h"

namespace korvel::asf {

// The whole header object, from its GUID to its last byte. Parsing the result gives back an
// equal AsfHeader. Lengths that do not fit the format's fields are clamped, never wrapped.
std::vector<uint8_t> SerializeAsfHeader(const AsfHeader& header);

// The children of a header object and of its header extension that AsfHeader does not model
// (padding, language list, index parameters, mutual exclusions, encryption ...), each whole as
// read, so that rewriting a file's header keeps them.
struct AsfUnmodelledObjects {
  std::vector<std::vector<uint8_t>> header;
  std::vector<std::vector<uint8_t>> extension;

  friend bool operator==(const AsfUnmodelledObjects&, const AsfUnmodelledObjects&) = default;
};
// Nothing for a header object that does not split into objects.
AsfUnmodelledObjects UnmodelledObjectsOf(const ByteView& headerObject);

// The header with the kept objects after the modelled ones, each in its own parent.
std::vector<uint8_t> SerializeAsfHeader(const AsfHeader& header, const AsfUnmodelledObjects& kept);

}  // namespace korvel::asf
