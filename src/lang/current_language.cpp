#include "lang/current_language.h"

#include <atomic>
#include <utility>

namespace korvel {
namespace {

std::atomic<std::shared_ptr<const LanguageTexts>>& Slot() {
  static std::atomic<std::shared_ptr<const LanguageTexts>> slot;
  return slot;
}

}  // namespace

std::shared_ptr<const LanguageTexts> CurrentLanguage() { return Slot().load(); }

void SetCurrentLanguage(std::shared_ptr<const LanguageTexts> texts) { Slot().store(std::move(texts)); }

}  // namespace korvel
