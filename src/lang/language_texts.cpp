#include "lang/language_texts.h"

#include <array>
#include <utility>

#include "lang/value_syntax.h"

namespace korvel {
namespace {

constexpr std::string_view kInformation = "Information";
constexpr std::string_view kMissingText = "---";

SentenceOrder ReadSentenceOrder(const IniFile& file) {
  constexpr std::array<std::pair<std::string_view, SentenceOrder>, 6> kOrders{{
      {"SVO", SentenceOrder::SVO}, {"SOV", SentenceOrder::SOV}, {"VSO", SentenceOrder::VSO},
      {"VOS", SentenceOrder::VOS}, {"OVS", SentenceOrder::OVS}, {"OSV", SentenceOrder::OSV},
  }};
  const std::string value = ApplyValueSyntax(file.ReadString(kInformation, "WordOrder1", ""));
  for (const auto& [name, order] : kOrders)
    if (value == name) return order;
  return SentenceOrder::SVO;
}

VerbObjectOrder ReadVerbObjectOrder(const IniFile& file) {
  return ApplyValueSyntax(file.ReadString(kInformation, "WordOrder2", "")) == "OV" ? VerbObjectOrder::OV : VerbObjectOrder::VO;
}

}  // namespace

LanguageTexts::LanguageTexts(IniFile current, std::optional<IniFile> fallback)
    : current_(std::move(current)),
      fallback_(std::move(fallback)),
      sentenceOrder_(ReadSentenceOrder(current_)),
      verbObjectOrder_(ReadVerbObjectOrder(current_)) {}

std::string LanguageTexts::Str(std::string_view section, std::string_view key) const {
  std::string text = ApplyValueSyntax(current_.ReadString(section, key, ""));
  if (!text.empty()) return text;
  return ApplyValueSyntax(fallback_ ? fallback_->ReadString(section, key, kMissingText) : kMissingText);
}

std::string LanguageTexts::Join(std::string_view verb, std::string_view object) const {
  return JoinVerbObject(verb, object, verbObjectOrder_);
}

std::string JoinVerbObject(std::string_view verb, std::string_view object, VerbObjectOrder order) {
  const std::string_view first = order == VerbObjectOrder::OV ? object : verb;
  const std::string_view second = order == VerbObjectOrder::OV ? verb : object;
  std::string phrase;
  phrase.reserve(first.size() + 1 + second.size());
  return phrase.append(first).append(" ").append(second);
}

}  // namespace korvel
