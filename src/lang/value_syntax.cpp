#include "lang/value_syntax.h"

namespace korvel {

std::string ApplyValueSyntax(std::string_view raw) {
  raw = raw.substr(0, raw.find(';'));
  const auto isBlank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
  while (!raw.empty() && isBlank(raw.front())) raw.remove_prefix(1);
  while (!raw.empty() && isBlank(raw.back())) raw.remove_suffix(1);

  std::string text;
  text.reserve(raw.size());
  for (size_t i = 0; i < raw.size(); ++i) {
    if (raw.compare(i, 2, "//") == 0) {
      text += "\r\n";
      ++i;
    } else {
      text += raw[i];
    }
  }
  return text;
}

}  // namespace korvel
