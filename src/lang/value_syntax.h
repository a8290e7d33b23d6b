#pragma once
// How a language file's values are written: a translator may add a comment after ";" and
// break a message into lines with "//".
#include <string>
#include <string_view>

namespace korvel {

// The raw value up to its first ";", trimmed, with every "//" turned into CR LF.
std::string ApplyValueSyntax(std::string_view raw);

}  // namespace korvel
