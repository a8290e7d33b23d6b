#pragma once
// One loaded language: its file, the English file behind it and its word order. Never changed
// after it is built, so any number of threads may read it at once.
#include <optional>
#include <string>
#include <string_view>

#include "base/ini_file.h"

namespace korvel {

// The order of subject, verb and object in a sentence ("WordOrder1"). Read and kept with the
// language; no phrase is built from it yet.
enum class SentenceOrder { SVO, SOV, VSO, VOS, OVS, OSV };

// Whether a verb comes before its object ("WordOrder2"), as in "Open Project", or after it.
enum class VerbObjectOrder { VO, OV };

class LanguageTexts {
public:
  // Reads the word order from the "Information" section of current; values other than the
  // listed ones, spelt exactly, keep SVO and VO.
  LanguageTexts(IniFile current, std::optional<IniFile> fallback);

  // The value in the current file; when that is empty, the value in the fallback, "---" when the
  // fallback lacks it too or is missing. Both with the value syntax applied.
  std::string Str(std::string_view section, std::string_view key) const;
  std::string Join(std::string_view verb, std::string_view object) const;

  SentenceOrder sentenceOrder() const { return sentenceOrder_; }
  VerbObjectOrder verbObjectOrder() const { return verbObjectOrder_; }

private:
  IniFile current_;
  std::optional<IniFile> fallback_;
  SentenceOrder sentenceOrder_ = SentenceOrder::SVO;
  VerbObjectOrder verbObjectOrder_ = VerbObjectOrder::VO;
};

// The phrase of a verb and its object in the given order, one space between them.
std::string JoinVerbObject(std::string_view verb, std::string_view object, VerbObjectOrder order);

}  // namespace korvel
