// korvel-cli: the editor's engine for scripts and terminals.
#include <CLI/CLI.hpp>
#include <iostream>

#include "cli/commands.h"

int main(int argc, char** argv) {
  using namespace korvel::cli;
  CLI::App app{"Korvel: cut, join and repair video files without re-encoding"};
  app.require_subcommand(1);

  std::vector<std::filesystem::path> infoFiles;
  bool json = false;
  CLI::App* info = app.add_subcommand("info", "Detect and describe media files");
  info->add_flag("--json", json, "Print the descriptions as JSON");
  info->add_option("FILE", infoFiles, "Media files")->required();

  std::filesystem::path checkA;
  std::filesystem::path checkB;
  CLI::App* check = app.add_subcommand("check", "Tell whether clips of two files can be joined");
  check->add_option("FILE_A", checkA, "First media file")->required();
  check->add_option("FILE_B", checkB, "Second media file")->required();

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int code = app.exit(e);
    return code == 0 ? kExitOk : kExitUnreadable;
  }

  if (*info) return RunInfo(infoFiles, json, std::cout, std::cerr);
  return RunCheck(checkA, checkB, std::cout, std::cerr);
}
