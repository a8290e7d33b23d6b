#include "support/file_size_limit.h"

#include <cerrno>
#include <csignal>
#include <grp.h>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace korvel::test {
namespace {

// body's result in a forked child that restrict() prepared first; nothing when the child did not
// finish normally or restrict() failed.
std::optional<bool> RunRestrictedChild(const std::function<bool()>& restrict, const std::function<bool()>& body) {
  const pid_t child = ::fork();
  if (child < 0) throw std::runtime_error("cannot fork");
  if (child == 0) {
    if (!restrict()) ::_exit(2);
    // _exit: the child must not run the parent's destructors (temporary folders, test state).
    ::_exit(body() ? 1 : 0);
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0)
    if (errno != EINTR) return std::nullopt;
  if (!WIFEXITED(status) || WEXITSTATUS(status) > 1) return std::nullopt;
  return WEXITSTATUS(status) == 1;
}

constexpr uid_t kNobody = 65534;

}  // namespace

std::optional<bool> RunWithFileSizeLimit(uint64_t maxBytes, const std::function<bool()>& body) {
  return RunRestrictedChild(
      [maxBytes] {
        // Without this the first write past the limit kills the child instead of failing.
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{maxBytes, maxBytes};
        return ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
      },
      body);
}

std::optional<bool> RunAsUnprivilegedUser(const std::function<bool()>& body) {
  return RunRestrictedChild(
      [] { return ::geteuid() != 0 || (::setgroups(0, nullptr) == 0 && ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0); },
      body);
}

}  // namespace korvel::test
