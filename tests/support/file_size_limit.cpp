#include "support/file_size_limit.h"

#include <cerrno>
#include <csignal>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace korvel::test {

std::optional<bool> RunWithFileSizeLimit(uint64_t maxBytes, const std::function<bool()>& body) {
  const pid_t child = ::fork();
  if (child < 0) throw std::runtime_error("cannot fork");
  if (child == 0) {
    // Without this the first write past the limit kills the child instead of failing.
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{maxBytes, maxBytes};
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(2);
    // _exit: the child must not run the parent's destructors (temporary folders, test state).
    ::_exit(body() ? 1 : 0);
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0)
    if (errno != EINTR) return std::nullopt;
  if (!WIFEXITED(status) || WEXITSTATUS(status) > 1) return std::nullopt;
  return WEXITSTATUS(status) == 1;
}

}  // namespace korvel::test
