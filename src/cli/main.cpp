// korvel-cli: the editor's engine for scripts and terminals.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <iostream>
#include <optional>

#include "cli/commands.h"
#include "lang/language.h"
#include "lang/language_folder.h"

namespace {

using korvel::cli::kExitOk;
using korvel::cli::kExitUnreadable;

struct ProductionFlags {
  std::optional<std::filesystem::path> language;
  bool quiet = false;
};

void AddLanguageFlag(CLI::App& command, std::optional<std::filesystem::path>& language) {
  command.add_option("--lang", language, "Language file for the words printed (default: the user's locale)")
      ->check(CLI::ExistingFile);
}

void AddProductionFlags(CLI::App& command, ProductionFlags& flags) {
  AddLanguageFlag(command, flags.language);
  command.add_flag("-q,--quiet", flags.quiet, "No progress line on the terminal");
}

}  // namespace

int main(int argc, char** argv) {
  using namespace korvel::cli;
  CLI::App app{"Korvel: cut, join and repair video files without re-encoding"};
  app.require_subcommand(1);

  std::vector<std::filesystem::path> infoFiles;
  bool json = false;
  CLI::App* info = app.add_subcommand("info", "Detect and describe media files");
  info->add_flag("--json", json, "Print the descriptions as JSON");
  info->add_option("FILE", infoFiles, "Media files")->required();

  ProductionFlags flags;
  std::filesystem::path checkA;
  std::filesystem::path checkB;
  CLI::App* check = app.add_subcommand("check", "Tell whether clips of two files can be joined");
  check->add_option("FILE_A", checkA, "First media file")->required();
  check->add_option("FILE_B", checkB, "Second media file")->required();
  AddLanguageFlag(*check, flags.language);

  std::filesystem::path joinOutput;
  std::vector<std::string> joinClips;
  CLI::App* join = app.add_subcommand("join", "Join clips into one new file without re-encoding");
  join->add_option("-o,--output", joinOutput, "The file to write")->required();
  join->add_option("CLIP", joinClips, "FILE (the whole file) or FILE@START-END, times in ms or h:mm:ss[.fff]")
      ->required();
  AddProductionFlags(*join, flags);

  std::filesystem::path project;
  std::optional<std::filesystem::path> produceOutput;
  CLI::App* produce = app.add_subcommand("produce", "Produce a project's clip list into one new file");
  produce->add_option("PROJECT", project, "A .korvelproj file")->required();
  produce->add_option("-o,--output", produceOutput, "The file to write (default: beside the first clip, _S01 ...)");
  AddProductionFlags(*produce, flags);

  std::filesystem::path damaged;
  std::optional<std::filesystem::path> repairOutput;
  CLI::App* reconstruct = app.add_subcommand("reconstruct", "Repair a damaged file into a new one");
  reconstruct->add_option("FILE", damaged, "The file to repair")->required();
  reconstruct->add_option("-o,--output", repairOutput, "The file to write (default: beside it, _Re ...)");
  AddProductionFlags(*reconstruct, flags);

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int code = app.exit(e);
    return code == 0 ? kExitOk : kExitUnreadable;
  }

  if (*info) return RunInfo(infoFiles, json, std::cout, std::cerr);

  korvel::TLanguage language(korvel::ProgramLanguageFolder());
  if (flags.language) language.SetCurrentPath(*flags.language);
  language.LoadLanguage();
  if (*check) return RunCheck(checkA, checkB, std::cout, std::cerr);
  const ProductionStreams io{std::cout, std::cerr, !flags.quiet && ::isatty(STDERR_FILENO) == 1};
  if (*join) return RunJoin(joinOutput, joinClips, io);
  if (*produce) return RunProduce(project, produceOutput, io);
  return RunReconstruct(damaged, repairOutput, io);
}
