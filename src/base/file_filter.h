#pragma once
// Which files a folder listing shows, by extension: a list such as ".AVI;.WMV;" or "*".
#include <string>
#include <string_view>
#include <vector>

namespace korvel {

// The name's extension upper-cased (ASCII letters only), from its last "." with the dot; empty
// when the name has no ".".
std::string UpperExtension(std::string_view name);

class TFileFilter {
public:
  // The filter upper-cased and trimmed of blanks; "*" anywhere shows every file. Otherwise the
  // pieces between ";" are the extensions: a trailing ";" adds nothing, and an empty piece
  // between two ";" stands for names without extension.
  static TFileFilter Parse(std::string_view filter);

  // Whether a file of this name is listed. Names starting with "." are hidden files, listed
  // only when showHidden is set.
  bool Passes(std::string_view name, bool showHidden) const;
  // Whether an upper-cased extension (as UpperExtension gives it) is one of the filter's.
  bool PassesExtension(std::string_view upperExtension) const;

private:
  bool all_ = true;
  std::vector<std::string> extensions_;
};

}  // namespace korvel
