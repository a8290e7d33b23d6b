#pragma once
// Script commands found in script streams while samples are copied. They cannot be written as
// samples of the output; they are stored in its header once the file is finished, in the order
// they were met.
#include <cstddef>
#include <cstdint>
#include <deque>

#include "wmv/asf/asf_header_info.h"

namespace korvel {

using CWmvScript = asf::AsfScript;

class CWmvScriptList {
public:
  void Append(CWmvScript script);
  // The oldest script; it stays in the list until Pop.
  const CWmvScript* First() const { return scripts_.empty() ? nullptr : &scripts_.front(); }
  void Pop();
  size_t Count() const { return scripts_.size(); }
  bool Empty() const { return scripts_.empty(); }
  void Clear() { scripts_.clear(); }

private:
  std::deque<CWmvScript> scripts_;
};

// A script sample's text: UTF-16LE type, a NUL unit, then the command. The last unit is taken as
// NUL whatever it holds; without a command after the type's NUL the command is " ".
CWmvScript ScriptFromSample(const uint8_t* bytes, size_t length, uint64_t time);

}  // namespace korvel
