#include "support/cli_run.h"

#include <sys/wait.h>

#include <array>
#include <cstdio>

namespace korvel::test {

CliRun RunCli(const std::string& arguments, bool withStderr) {
  return RunCommand(std::string(KORVEL_CLI_PATH) + " " + arguments + (withStderr ? " 2>&1" : " 2>/dev/null"));
}

CliRun RunCommand(const std::string& command) {
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return {-1, ""};
  std::string out;
  std::array<char, 4096> buffer{};
  size_t n = 0;
  while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) out.append(buffer.data(), n);
  const int status = ::pclose(pipe);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

std::string Quoted(const std::filesystem::path& file) { return "'" + file.string() + "'"; }

}  // namespace korvel::test
