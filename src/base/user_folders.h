#pragma once
// The user's own folders as the freedesktop base-directory and user-dirs conventions name them.
// Only the environment and the user's own configuration are read; nothing is created here.
#include <filesystem>

namespace korvel {

// $HOME, else the home folder of the account, else the system's temporary folder.
std::filesystem::path UserHomeFolder();

// $XDG_DATA_HOME when it is an absolute path, else ~/.local/share.
std::filesystem::path UserDataFolder();

// XDG_DOCUMENTS_DIR from user-dirs.dirs in $XDG_CONFIG_HOME (else ~/.config), else ~/Documents
// when it is a folder, else the home folder.
std::filesystem::path UserDocumentsFolder();

}  // namespace korvel
