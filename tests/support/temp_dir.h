#pragma once
// A fresh folder for one test, removed with everything in it when the test ends.
#include <cstdint>
#include <filesystem>
#include <span>
#include <string_view>

namespace korvel::test {

class TempDir {
public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

private:
  std::filesystem::path path_;
};

void WriteFileBytes(const std::filesystem::path& file, std::span<const uint8_t> bytes);

// A media file made by the fixture script.
std::filesystem::path Fixture(std::string_view name);

}  // namespace korvel::test
