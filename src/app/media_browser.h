#pragma once
// The browser on the left of the main window: the folder tree and the media files of the
// selected folder, from which the user opens, renames, deletes and repairs files. Opening is
// guarded twice: a damaged file is offered for reconstruction first, and a file whose format
// differs from the clip list's is refused unless the user starts a new project.
#include <QWidget>
#include <array>
#include <filesystem>
#include <optional>

#include "base/dialog_placement.h"
#include "produce/engine_table.h"

class QAction;
class QActionGroup;
class QLabel;
class QMenu;
class QMimeData;
class QTreeWidget;
class QTreeWidgetItem;

namespace korvel {

class TClipList;
class TJDirTree2;

// What of the window the browser works with.
class IMediaBrowserHost {
public:
  virtual ~IMediaBrowserHost() = default;
  // The window the browser's questions belong to, and where they stand.
  virtual QWidget* QuestionOwner() = 0;
  virtual std::optional<TDlgPlacement> QuestionPlacement() = 0;
  virtual TClipList& ClipList() = 0;
  // The file the player has open; empty when none.
  virtual std::filesystem::path PlayerFile() = 0;
  virtual void PausePlayer() = 0;
  // Closes the player's file and unlinks the current clip.
  virtual void CloseMedia() = 0;
  // The window's one way of opening a file, which asks the browser's checks (CheckedOpenPath).
  virtual void OpenMediaFile(const std::filesystem::path& file) = 0;
  // Asks to save the clip list and then starts an empty project; false when the user cancelled.
  virtual bool StartNewProject() = 0;
};

// The commands of the file list's menu, when the window has them as its own actions.
struct TBrowserActions {
  QAction* Open = nullptr;
  QAction* Delete = nullptr;
  QAction* Reconstruct = nullptr;
  QAction* Refresh = nullptr;
  // Black, white, light grey, silver, dark grey.
  std::array<QAction*, 5> Colours{};
};

class TMediaBrowser final : public QWidget {
  Q_OBJECT

public:
  // The MIME type of files dragged from the list: their exact paths, one per line.
  static constexpr const char* kDragMimeType = "application/x-korvel-browser-files";

  // Without actions the browser makes its menu's own.
  explicit TMediaBrowser(IMediaBrowserHost& host, QWidget* parent = nullptr,
                         const TEngineTable& engines = BuiltEngines(), const TBrowserActions* actions = nullptr);

  // Builds the tree and shows folder (the user's videos when empty).
  void Init(const std::filesystem::path& folder = {});

  // Opens the focused file through the window.
  void OpenSelectedFile();
  // The checks of every opening: pauses the player, offers a damaged file for reconstruction
  // and refuses a file that cannot join the clip list. The path to open, or empty to open
  // nothing.
  std::filesystem::path CheckedOpenPath(const std::filesystem::path& file);
  // The file to open: the file itself, the repaired file, or empty when the user repaired it
  // and the repair produced nothing.
  std::filesystem::path CheckReconstruct(const std::filesystem::path& file);
  // Whether the file may join the clip list (a new project started for it counts).
  bool CheckOpenCompatible(const std::filesystem::path& file);

  // In-place editing of a caption ended with newText.
  void RenameFile(QTreeWidgetItem* item, const QString& newText);
  void DeleteSelectedFiles();
  void ReconstructSelectedFile();
  void RefreshFileList();
  // Shows the file's folder and selects the file in the list.
  void SelectFileInBrowser(const std::filesystem::path& file);

  // The colour scheme of tree and list, 0 to 4.
  int ColourIndex() const { return colourIndex_; }
  void SetColourIndex(int index);

  // Lets widget (the video area) take files dragged from the list: a drop opens the focused
  // file. Files dropped from elsewhere are the widget owner's business.
  void AcceptDropsOn(QWidget* widget);
  static bool IsBrowserDrag(const QMimeData* data);

  // The focused file's exact path; empty when nothing is focused or the file is gone.
  std::filesystem::path FocusedFile() const;

  TJDirTree2* Tree() const { return tree_; }
  QTreeWidget* FileList() const { return fileList_; }
  QLabel* FolderInfo() const { return folderInfo_; }
  QMenu* FilePopup() const { return filePopup_; }
  QAction* PfOpen() const { return pfOpen_; }
  QAction* PfDelete() const { return pfDelete_; }
  QAction* PfReconstruct() const { return pfReconstruct_; }
  QAction* PfRefresh() const { return pfRefresh_; }

signals:
  void ColourIndexChanged(int index);

protected:
  // Drops on the widgets given to AcceptDropsOn.
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void MakePopup(const TBrowserActions* actions);
  void UpdatePopup();
  void UpdateFolderInfo();
  void ApplyColours();
  void SetItemIcon(QTreeWidgetItem* item) const;
  std::filesystem::path RunReconstructWizard(const std::filesystem::path& file);
  // false when the user kept the file.
  bool DeleteOneFile(const std::filesystem::path& file, bool toTrash);
  int Ask(const QString& message, const QString& button1, const QString& button2 = {},
          const QString& button3 = {});

  IMediaBrowserHost& host_;
  const TEngineTable& engines_;
  QLabel* folderInfo_;
  TJDirTree2* tree_;
  QTreeWidget* fileList_;
  QMenu* filePopup_;
  QAction* pfOpen_;
  QAction* pfDelete_;
  QAction* pfReconstruct_;
  QAction* pfRefresh_;
  QActionGroup* colourGroup_;
  int colourIndex_ = 0;
  // Set while the program itself changes captions, which are no renames.
  bool settingCaptions_ = false;
};

}  // namespace korvel
