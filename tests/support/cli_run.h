#pragma once
// Runs the built korvel-cli as a user would, or any shell command, and captures what it says.
#include <filesystem>
#include <string>

namespace korvel::test {

struct CliRun {
  int exitCode;
  std::string out;  // standard output, then standard error when it is captured too
};

// arguments are passed through the shell; quote file names with Quoted.
CliRun RunCli(const std::string& arguments, bool withStderr = true);

// A shell command's exit code and standard output (add "2>&1" to the command for its errors).
CliRun RunCommand(const std::string& command);

std::string Quoted(const std::filesystem::path& file);

}  // namespace korvel::test
