#pragma once
// Text and paths across the Qt boundary: the core's UTF-8 strings and exact paths.
#include <QString>
#include <filesystem>
#include <string>

namespace korvel {

inline QString ToQt(const std::string& text) { return QString::fromStdString(text); }
inline QString ToQt(const std::filesystem::path& path) { return QString::fromStdString(path.string()); }
inline std::filesystem::path PathFromQt(const QString& text) { return std::filesystem::path(text.toStdString()); }

}  // namespace korvel
