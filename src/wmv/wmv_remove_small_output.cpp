#include "wmv/wmv_remove_small_output.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string>
#include <string_view>
#include <system_error>

namespace korvel {
namespace {

bool HasAsfExtension(const std::filesystem::path& file) {
  std::string extension = file.extension().string();
  const auto blank = [](unsigned char c) { return std::isspace(c) != 0; };
  extension.erase(std::find_if_not(extension.rbegin(), extension.rend(), blank).base(), extension.end());
  std::ranges::transform(extension, extension.begin(), [](unsigned char c) { return std::toupper(c); });
  constexpr std::array<std::string_view, 4> kAsfExtensions{".ASF", ".WMV", ".WMA", ".WM"};
  return std::ranges::find(kAsfExtensions, extension) != kAsfExtensions.end();
}

}  // namespace

bool RemoveSmallOutput(const std::filesystem::path& file) {
  if (!HasAsfExtension(file)) return false;
  std::error_code error;
  if (!std::filesystem::is_regular_file(file, error)) return false;
  const uintmax_t size = std::filesystem::file_size(file, error);
  if (error || size >= kSmallOutputBytes) return false;
  return std::filesystem::remove(file, error) && !error;
}

}  // namespace korvel
