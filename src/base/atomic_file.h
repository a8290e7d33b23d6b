#pragma once
// Replacing a file so that a crash or a full disk never leaves it half written: the new
// content goes to a temporary file in the same folder, reaches the disk, and only then takes
// the old file's place.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>

namespace korvel {

// False, with the old file untouched and no temporary file left, when any step fails;
// error then says why.
bool WriteFileAtomically(const std::filesystem::path& file, std::span<const uint8_t> bytes, std::string* error = nullptr);

// The same for content too large to hold in memory: produce hands its pieces, in order, to put,
// which returns false when a write fails; produce returns false when it cannot give everything.
using ByteSink = std::function<bool(std::span<const uint8_t>)>;
bool WriteFileAtomically(const std::filesystem::path& file, const std::function<bool(const ByteSink& put)>& produce,
                         std::string* error = nullptr);

}  // namespace korvel
