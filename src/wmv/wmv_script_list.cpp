#include "wmv/wmv_script_list.h"

#include <span>
#include <utility>
#include <vector>

#include "base/byte_view.h"
#include "wmv/asf/asf_text.h"

namespace korvel {

void CWmvScriptList::Append(CWmvScript script) { scripts_.push_back(std::move(script)); }

void CWmvScriptList::Pop() {
  if (!scripts_.empty()) scripts_.pop_front();
}

CWmvScript ScriptFromSample(const uint8_t* bytes, size_t length, uint64_t time) {
  CWmvScript script;
  script.time = time;
  const size_t units = bytes ? length / 2 : 0;
  std::vector<uint8_t> text(bytes, bytes + units * 2);
  if (units > 0) text[units * 2 - 2] = text[units * 2 - 1] = 0;
  size_t nul = 0;
  while (nul < units && (text[nul * 2] != 0 || text[nul * 2 + 1] != 0)) ++nul;
  script.type = asf::Utf16LeToUtf8(ByteView(std::span<const uint8_t>(text.data(), nul * 2)));
  if (nul + 1 < units) {
    const size_t from = (nul + 1) * 2;
    script.command = asf::Utf16LeToUtf8(ByteView(std::span<const uint8_t>(text).subspan(from)));
  } else {
    script.command = " ";
  }
  return script;
}

}  // namespace korvel
