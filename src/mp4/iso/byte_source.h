#pragma once
// Where an ISO file's bytes come from: a file read with pread, or bytes already in memory
// (the fuzz target and the malformed-input tests). Reads are exact: a short read is an error
// that says whether the file really ended or the read failed.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace korvel::iso {

class ByteSource {
public:
  virtual ~ByteSource() = default;
  virtual uint64_t Size() const = 0;
  // Fills out with the bytes at offset. False with error when they are not all there.
  virtual bool ReadAt(uint64_t offset, std::span<uint8_t> out, std::string* error) const = 0;
};

std::unique_ptr<ByteSource> OpenFileSource(const std::filesystem::path& file, std::string* error);
std::unique_ptr<ByteSource> MakeMemorySource(std::vector<uint8_t> bytes);

}  // namespace korvel::iso
