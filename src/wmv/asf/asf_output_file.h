#pragma once
// The file a writer produces: appended to in sequence through a buffer, with earlier bytes
// (the header, object sizes) rewritten in place once their final values are known. Every
// write, sync and close is checked; the first failure is kept and fails everything after it.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <vector>

namespace korvel::asf {

class AsfOutputFile {
public:
  // Creates the file, or empties an existing one; null when that fails.
  static std::unique_ptr<AsfOutputFile> Create(const std::filesystem::path& file);
  // Opens a finished file to change bytes in place; null when it cannot be opened for writing
  // or its size is not expectedSize (someone else changed it).
  static std::unique_ptr<AsfOutputFile> Reopen(const std::filesystem::path& file, uint64_t expectedSize);
  // Closes the file when SyncAndClose was not called; what was buffered is lost.
  ~AsfOutputFile();
  AsfOutputFile(const AsfOutputFile&) = delete;
  AsfOutputFile& operator=(const AsfOutputFile&) = delete;

  uint64_t Position() const { return written_ + buffer_.size(); }
  bool Append(std::span<const uint8_t> bytes);
  // Bytes before Position() replaced; what is buffered goes out first.
  bool WriteAt(uint64_t offset, std::span<const uint8_t> bytes);
  bool SyncAndClose();
  // The errno of the first failure, 0 while there was none.
  int Error() const { return error_; }

private:
  AsfOutputFile(int fd, uint64_t size);
  bool Flush();
  bool Check(int error);

  int fd_;
  uint64_t written_ = 0;
  std::vector<uint8_t> buffer_;
  int error_ = 0;
};

}  // namespace korvel::asf
