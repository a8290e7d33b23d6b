#pragma once
// Moving a file to the user's trash in the freedesktop layout: the
// file goes to a trash folder's "files", and a ".trashinfo" in its "info" records where it came
// from and when, so that a file manager can put it back.
#include <filesystem>

namespace korvel {

// Moves file into the trash of its file system: the home trash ($XDG_DATA_HOME/Trash) when the
// file lies on the same file system, else "$topdir/.Trash/$uid" (when the administrator made
// ".Trash" a sticky folder) or "$topdir/.Trash-$uid". Never copies and never deletes: 0 when the
// file is in the trash, else the system's error code, the file left where it was. trashedAs,
// when given, receives the file's new place.
int MoveToTrash(const std::filesystem::path& file, std::filesystem::path* trashedAs = nullptr);

// The "Path=" value of a .trashinfo: the absolute path with every byte but the unreserved
// ones and "/" written as %XX.
std::string TrashInfoPath(const std::filesystem::path& absolute);

}  // namespace korvel
