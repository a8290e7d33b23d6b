#pragma once
// A folder tree of the user's own folders and the mounted volumes, filled as it is opened, with
// a companion list of the selected folder's files (name, size, date) filtered by extension.
// Every item carries its exact path: names may hold any bytes and are never rebuilt from a
// caption. Nothing here changes the process's current folder.
#include <QTreeWidget>
#include <filesystem>
#include <string>

#include "base/file_filter.h"

namespace korvel {

class TJDirTree2 final : public QTreeWidget {
  Q_OBJECT

public:
  explicit TJDirTree2(QWidget* parent = nullptr);

  // The path an item of the tree or of the file list stands for; empty for the computer node
  // and for no item.
  static std::filesystem::path ItemPath(const QTreeWidgetItem* item);
  static void SetItemPath(QTreeWidgetItem* item, const std::filesystem::path& path);
  // A file name as a caption; names that are no valid UTF-8 show as the locale decodes them.
  static QString NameText(const std::filesystem::path& name);

  // The report list filled with the selected folder's files: name, size, date. Not owned.
  void SetFileListV(QTreeWidget* list);
  QTreeWidget* FileListV() const { return fileList_; }
  // Extensions to list, as ".AVI;.WMV;"; "*" or nothing lists every file.
  void SetFileFilter(const std::string& filter);
  void SetShowHiddenAttrib(bool show) { showHidden_ = show; }

  // Builds the tree and, when toFolder is given, selects it.
  void DirTreeInit(const std::filesystem::path& toFolder = {});
  // Rebuilds the whole tree from the disk, keeping the selected folder where it still exists.
  void InitTree();
  // Reads the selected folder again.
  void ReChange();

  // The selected folder, with its trailing separator; empty for the computer node.
  std::filesystem::path CurrentPath() const;
  // Selects the folder, or its deepest ancestor that the tree holds.
  void SetCurrentPath(const std::filesystem::path& folder);
  // The selected folder as the user reads it: inside one of the user's folders, that folder's
  // name stands for its path.
  QString DisplayPath() const;
  QTreeWidgetItem* ComputerNode() const { return computer_; }

signals:
  // After the selected folder changed and the file list was filled.
  void OnChangeUser(QTreeWidgetItem* node);

private:
  struct SpecialFolder {
    std::filesystem::path folder;
    QString name;
    QTreeWidgetItem* node = nullptr;
  };

  bool HasSubDir(const std::filesystem::path& folder) const;
  bool CountsAsFolder(const std::filesystem::directory_entry& entry) const;
  QTreeWidgetItem* AddFolderNode(QTreeWidgetItem* parent, const std::filesystem::path& folder, const QString& name,
                                 const QIcon& icon);
  void SetChildFlag(QTreeWidgetItem* node, bool hasChildren);
  void MakeDriveTree();
  void MakeSubTree(QTreeWidgetItem* node);
  void DriveSelectReSet(QTreeWidgetItem* node);
  void EventChange(QTreeWidgetItem* node);
  void ReMakeFileList();
  QTreeWidgetItem* StartNodeFor(const std::filesystem::path& folder, std::filesystem::path& rest) const;

  QTreeWidget* fileList_ = nullptr;
  TFileFilter filter_;
  bool showHidden_ = false;
  bool ready_ = false;
  // Set while the tree opens a node it has just filled itself.
  bool expanding_ = false;
  std::vector<SpecialFolder> specials_;
  QTreeWidgetItem* computer_ = nullptr;
};

}  // namespace korvel
