#pragma once
// The names proposed for a production's output and for a repaired file: beside the source,
// or in the project folder when nothing can be written beside it, never over an existing file.
#include <filesystem>
#include <functional>
#include <string>

namespace korvel {

struct DestinationRules {
  // Where outputs go when the source's folder cannot take them; ends with a separator.
  std::filesystem::path lastProjectFolder;
  std::function<bool(const std::filesystem::path&)> isOnReadOnlyStorage;
  std::function<std::string(const std::filesystem::path&)> volumeLabelOf;
  std::function<bool(const std::filesystem::path&)> exists;

  // The rules of this machine's file systems.
  static DestinationRules ForThisSystem(std::filesystem::path lastProjectFolder);
};

// Both return an empty path when every candidate exists already.

// source without extension + "_S" + a two-digit (or longer) number + "." + extension.
std::filesystem::path ProposeProduceDestination(const std::filesystem::path& source, const std::string& extension,
                                                const DestinationRules& rules);

// source without extension + "_Re." + extension, or "_Re1.", "_Re2." ... when that exists.
std::filesystem::path ProposeReconstructDestination(const std::filesystem::path& source, const std::string& extension,
                                                    const DestinationRules& rules);

}  // namespace korvel
