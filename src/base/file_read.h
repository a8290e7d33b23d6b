#pragma once
// Reading files whole or in part, telling a real end of file from a failed read.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

namespace korvel {

// Up to maxBytes from the start of the file; fewer when the file is shorter.
// Nothing when the file cannot be opened or a read fails (other than at the end).
std::optional<std::vector<uint8_t>> ReadFileHead(const std::filesystem::path& path, size_t maxBytes);

// The whole file; nothing when it cannot be read or is larger than maxBytes.
std::optional<std::vector<uint8_t>> ReadWholeFile(const std::filesystem::path& path, size_t maxBytes);

}  // namespace korvel
