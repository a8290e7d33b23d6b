#pragma once
// Process-wide settings of the FFmpeg libraries, made once before any file is opened.
#include <cstdint>
#include <filesystem>
#include <string>

namespace korvel {

// FFmpeg's own log is silenced: what a user needs to know the engine says itself.
void PrepareFfmpegLibrary();

// The text of a libavutil error code.
std::string FfmpegErrorText(int code);

// "name: error text" on standard error, for failures the status lines do not show.
void PrintError(const std::filesystem::path& name, int code);

}  // namespace korvel
