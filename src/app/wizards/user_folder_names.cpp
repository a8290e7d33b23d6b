#include "app/wizards/user_folder_names.h"

#include <QStandardPaths>

#include "app/wizards/qt_text.h"

namespace korvel {

std::vector<TNamedFolder> UserFolderNames() {
  std::vector<TNamedFolder> folders;
  for (const auto location : {QStandardPaths::DesktopLocation, QStandardPaths::PicturesLocation,
                              QStandardPaths::MusicLocation, QStandardPaths::MoviesLocation,
                              QStandardPaths::DocumentsLocation}) {
    const QString folder = QStandardPaths::writableLocation(location);
    // Without its own folder a location falls back to the home folder, which is no such place.
    if (folder.isEmpty() || folder == QStandardPaths::writableLocation(QStandardPaths::HomeLocation)) continue;
    folders.push_back({PathFromQt(folder), QStandardPaths::displayName(location).toStdString()});
  }
  return folders;
}

}  // namespace korvel
