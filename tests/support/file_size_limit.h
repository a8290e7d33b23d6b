#pragma once
// Making a write fail part-way even for root, whom permission bits do not stop: a forked
// child runs with a limit on the size of the files it writes.
#include <cstdint>
#include <functional>
#include <optional>

namespace korvel::test {

// body's result, computed in a child process whose writes beyond maxBytes fail with EFBIG;
// nothing when the child did not finish normally. Nothing the child changes in memory
// reaches the caller.
std::optional<bool> RunWithFileSizeLimit(uint64_t maxBytes, const std::function<bool()>& body);

}  // namespace korvel::test
