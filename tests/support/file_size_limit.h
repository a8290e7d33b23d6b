#pragma once
// Making writes fail even for root, whom permission bits do not stop: a forked child runs with a
// limit on the size of the files it writes, or as a user without privileges.
#include <cstdint>
#include <functional>
#include <optional>

namespace korvel::test {

// body's result, computed in a child process whose writes beyond maxBytes fail with EFBIG;
// nothing when the child did not finish normally. Nothing the child changes in memory
// reaches the caller.
std::optional<bool> RunWithFileSizeLimit(uint64_t maxBytes, const std::function<bool()>& body);
// The same with body run as the unprivileged user "nobody" when the tests run as root, so that
// permission bits apply; the files body needs must be open to everyone.
std::optional<bool> RunAsUnprivilegedUser(const std::function<bool()>& body);

}  // namespace korvel::test
