#pragma once
// The user's folders of a desktop test program: HOME and the XDG folders point into a fresh
// temporary folder, so that no suite reads or writes the real settings, documents or caches.
// Made before the application object exists, because Qt reads these variables once.
#include <filesystem>

namespace korvel::test {

class UserFoldersSandbox {
public:
  UserFoldersSandbox();
  // Removes the temporary folder with everything in it.
  ~UserFoldersSandbox();
  UserFoldersSandbox(const UserFoldersSandbox&) = delete;
  UserFoldersSandbox& operator=(const UserFoldersSandbox&) = delete;

  // The temporary folder that holds everything below.
  const std::filesystem::path& Root() const { return root_; }
  // The folder that stands for the user's home.
  const std::filesystem::path& Home() const { return home_; }

private:
  std::filesystem::path root_;
  std::filesystem::path home_;
};

}  // namespace korvel::test
