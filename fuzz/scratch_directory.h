#pragma once
// Writers that replace files by renaming, or choose a format by the file's extension, need a real
// directory: one per process, in memory where the system has such a place, removed at exit.
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <system_error>

namespace korvel::fuzz {

inline const std::filesystem::path& ScratchDirectory() {
  // Never destroyed, so that the removal at exit still has its name.
  static const std::filesystem::path& dir = *[] {
    std::error_code error;
    const std::filesystem::path base = std::filesystem::is_directory("/dev/shm", error)
                                           ? std::filesystem::path("/dev/shm")
                                           : std::filesystem::temp_directory_path();
    std::string name = (base / "korvel-fuzz-XXXXXX").string();
    if (!::mkdtemp(name.data())) __builtin_trap();
    ::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(ScratchDirectory(), ignored);
    });
    return new std::filesystem::path(name);
  }();
  return dir;
}

}  // namespace korvel::fuzz
