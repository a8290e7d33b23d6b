#include "app/media_browser.h"

#include <unistd.h>

#include <QAction>
#include <QActionGroup>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QSplitter>
#include <QStandardPaths>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <array>
#include <cerrno>
#include <memory>
#include <system_error>

#include "app/environment.h"
#include "app/format_differences_win.h"
#include "app/wizards/tool_comm_wizard.h"
#include "base/browser_colours.h"
#include "base/file_list_text.h"
#include "base/file_rename.h"
#include "base/path_normal.h"
#include "base/trash.h"
#include "controls/j_dir_tree2.h"
#include "controls/my_msg_box_win.h"
#include "controls/wait_cursor.h"
#include "ffmpeg/ffm_needs_reconstruct.h"
#include "lang/lang.h"
#include "mediainfo/analyze_media_file.h"
#include "mediainfo/container_kind.h"
#include "mediainfo/media_extensions.h"
#include "mediainfo/media_families.h"
#include "mediainfo/same_format.h"
#include "project/clip_list.h"

namespace korvel {
namespace {

namespace fs = std::filesystem;

QString Words(const std::string& text) { return QString::fromStdString(text); }
QString Lang(const char* section, const char* key) { return Words(LangStr(section, key)); }
QString PathText(const fs::path& path) { return TJDirTree2::NameText(path); }

std::string SystemReason(int error) { return std::generic_category().message(error); }

bool SameFile(const fs::path& a, const fs::path& b) { return !a.empty() && NormalPath(a) == NormalPath(b); }

// The file list hands its files to a drag as their exact paths, NUL-separated: a Linux name
// may hold a line break but never a NUL. Enter opens and Delete deletes, unless a caption is
// being edited.
class TBrowserFileList final : public QTreeWidget {
public:
  std::function<void()> OnEnter;
  std::function<void()> OnDelete;

protected:
  QStringList mimeTypes() const override { return {TMediaBrowser::kDragMimeType}; }
  QMimeData* mimeData(const QList<QTreeWidgetItem*>& items) const override {
    QByteArray paths;
    for (const QTreeWidgetItem* item : items) {
      paths += QByteArray::fromStdString(TJDirTree2::ItemPath(item).native());
      paths += '\0';
    }
    auto* data = new QMimeData;
    data->setData(TMediaBrowser::kDragMimeType, paths);
    return data;
  }
  void keyPressEvent(QKeyEvent* event) override {
    const bool editing = state() == EditingState;
    if (!editing && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
      OnEnter();
    } else if (!editing && event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier) {
      OnDelete();
    } else {
      QTreeWidget::keyPressEvent(event);
    }
  }
};

// A small coloured badge per kind of file; the colours tell the families apart at a glance.
QIcon CategoryIcon(int32_t category) {
  static const std::array<QColor, 10> kColours{
      QColor(0x90, 0x90, 0x90), QColor(0x90, 0x90, 0x90), QColor(0x3A, 0x7B, 0xD5), QColor(0x2E, 0xA0, 0x5A),
      QColor(0xD5, 0x8A, 0x2A), QColor(0x8E, 0x5B, 0xC8), QColor(0xC8, 0x4B, 0x4B), QColor(0x3C, 0xB0, 0xB0),
      QColor(0xB0, 0xA0, 0x30), QColor(0xC0, 0x60, 0x98)};
  static std::array<QIcon, 10> icons;
  const size_t index = category >= 0 && category < 10 ? static_cast<size_t>(category) : 1;
  if (icons[index].isNull()) {
    QPixmap picture(16, 16);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(kColours[index].darker(140));
    painter.setBrush(kColours[index]);
    painter.drawRoundedRect(QRectF(1.5, 2.5, 13, 11), 2, 2);
    painter.setBrush(Qt::white);
    painter.setPen(Qt::NoPen);
    painter.drawRect(QRectF(3, 4, 2, 2));
    painter.drawRect(QRectF(3, 10, 2, 2));
    painter.drawRect(QRectF(11, 4, 2, 2));
    painter.drawRect(QRectF(11, 10, 2, 2));
    icons[index] = QIcon(picture);
  }
  return icons[index];
}

void SetColours(QWidget* widget, uint32_t back, uint32_t text) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::Base, QColor::fromRgb(back));
  palette.setColor(QPalette::Window, QColor::fromRgb(back));
  palette.setColor(QPalette::Text, QColor::fromRgb(text));
  palette.setColor(QPalette::WindowText, QColor::fromRgb(text));
  palette.setColor(QPalette::Button, QColor::fromRgb(back));  // the list's column headings
  palette.setColor(QPalette::ButtonText, QColor::fromRgb(text));
  widget->setPalette(palette);
}

}  // namespace

TMediaBrowser::TMediaBrowser(IMediaBrowserHost& host, QWidget* parent, const TEngineTable& engines,
                             const TBrowserActions* actions)
    : QWidget(parent), host_(host), engines_(engines) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  folderInfo_ = new QLabel;
  folderInfo_->setTextFormat(Qt::PlainText);
  folderInfo_->setObjectName("FolderInfo");
  layout->addWidget(folderInfo_);

  auto* splitter = new QSplitter(Qt::Vertical);
  tree_ = new TJDirTree2;
  tree_->setObjectName("DirTree");
  auto* fileList = new TBrowserFileList;
  fileList->OnEnter = [this] { OpenSelectedFile(); };
  fileList->OnDelete = [this] { DeleteSelectedFiles(); };
  fileList_ = fileList;
  fileList_->setObjectName("FileListV");
  splitter->addWidget(tree_);
  splitter->addWidget(fileList_);
  splitter->setStretchFactor(1, 1);
  layout->addWidget(splitter, 1);

  tree_->SetFileListV(fileList_);
  tree_->SetFileFilter(MediaExtensionList());
  fileList_->setHeaderLabels({Lang("Base", "FileName"), Lang("Base", "Size"), Lang("Base", "Date")});
  fileList_->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
  fileList_->setDragEnabled(true);
  fileList_->setDragDropMode(QAbstractItemView::DragOnly);
  fileList_->setContextMenuPolicy(Qt::CustomContextMenu);

  connect(tree_, &TJDirTree2::OnChangeUser, this, [this] {
    for (int i = 0; i < fileList_->topLevelItemCount(); ++i) SetItemIcon(fileList_->topLevelItem(i));
    UpdateFolderInfo();
  });
  connect(fileList_, &QTreeWidget::itemDoubleClicked, this, [this] { OpenSelectedFile(); });
  connect(fileList_, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int column) {
    // Only a caption that no longer names the item's file is an edit by the user.
    const fs::path file = TJDirTree2::ItemPath(item);
    if (column == 0 && !file.empty() && item->text(0) != PathText(file.filename())) RenameFile(item, item->text(0));
  });
  MakePopup(actions);
  connect(fileList_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    UpdatePopup();
    filePopup_->popup(fileList_->viewport()->mapToGlobal(at));
  });
}

void TMediaBrowser::MakePopup(const TBrowserActions* actions) {
  TBrowserActions own;
  if (!actions) {
    own.Open = new QAction("Open File", this);
    own.Delete = new QAction("Delete File", this);
    own.Reconstruct = new QAction("Reconstruct Media File ...", this);
    own.Refresh = new QAction("Refresh File List", this);
    const char* captions[kBrowserColourCount] = {"Black", "White", "LightGrey", "Silver", "DarkGray"};
    for (int index = 0; index < kBrowserColourCount; ++index) own.Colours[index] = new QAction(captions[index], this);
    actions = &own;
  }
  pfOpen_ = actions->Open;
  pfDelete_ = actions->Delete;
  pfReconstruct_ = actions->Reconstruct;
  pfRefresh_ = actions->Refresh;
  connect(pfOpen_, &QAction::triggered, this, [this] { OpenSelectedFile(); });
  connect(pfDelete_, &QAction::triggered, this, [this] { DeleteSelectedFiles(); });
  connect(pfReconstruct_, &QAction::triggered, this, [this] { ReconstructSelectedFile(); });
  connect(pfRefresh_, &QAction::triggered, this, [this] { RefreshFileList(); });
  filePopup_ = new QMenu(this);
  filePopup_->addActions({pfOpen_, pfDelete_, pfReconstruct_});
  filePopup_->addSeparator();
  filePopup_->addAction(pfRefresh_);
  filePopup_->addSeparator();
  colourGroup_ = new QActionGroup(this);
  for (int index = 0; index < kBrowserColourCount; ++index) {
    QAction* action = actions->Colours[index];
    action->setCheckable(true);
    action->setChecked(index == colourIndex_);
    colourGroup_->addAction(action);
    filePopup_->addAction(action);
    connect(action, &QAction::triggered, this, [this, index] { SetColourIndex(index); });
  }
}

void TMediaBrowser::UpdatePopup() {
  pfOpen_->setEnabled(fileList_->currentItem() != nullptr);
  pfDelete_->setEnabled(!fileList_->selectedItems().isEmpty());
  bool repairable = false;
  if (const fs::path file = FocusedFile(); !file.empty()) {
    TWaitCursor wait;
    QdMediaInfo info;
    AnalyzeMediaFile(file, info);
    repairable = info.Kind == kKindAvi || info.Kind == kKindAsf || info.Kind == kKindMpegPs;
  }
  pfReconstruct_->setEnabled(repairable);
}

void TMediaBrowser::Init(const fs::path& folder) {
  ApplyColours();
  fs::path start = folder;
  if (start.empty()) {
    for (const auto location : {QStandardPaths::MoviesLocation, QStandardPaths::HomeLocation}) {
      const QString candidate = QStandardPaths::writableLocation(location);
      if (!candidate.isEmpty() && QFileInfo(candidate).isDir()) {
        start = QFile::encodeName(candidate).toStdString();
        break;
      }
    }
  }
  tree_->DirTreeInit(start);
}

fs::path TMediaBrowser::FocusedFile() const {
  const fs::path file = TJDirTree2::ItemPath(fileList_->currentItem());
  std::error_code error;
  // A link that leads nowhere still is a file here; opening it tells the user why it fails.
  return !file.empty() && fs::symlink_status(file, error).type() != fs::file_type::not_found ? file : fs::path();
}

int TMediaBrowser::Ask(const QString& message, const QString& button1, const QString& button2,
                       const QString& button3) {
  return ShowMsgBox(host_.QuestionOwner(), ApplicationTitle(), message, host_.QuestionPlacement(),
                    button2.isEmpty() ? kMsgBoxInformation : kMsgBoxQuestion, button3, button2, button1);
}

void TMediaBrowser::OpenSelectedFile() {
  const fs::path file = FocusedFile();
  if (!file.empty()) host_.OpenMediaFile(file);
}

fs::path TMediaBrowser::CheckedOpenPath(const fs::path& file) {
  if (file.empty()) return {};
  host_.PausePlayer();
  const fs::path checked = CheckReconstruct(NormalPath(file));
  if (checked.empty() || !CheckOpenCompatible(checked)) return {};
  return checked;
}

fs::path TMediaBrowser::CheckReconstruct(const fs::path& file) {
  QdMediaInfo info;
  bool usable;
  {
    TWaitCursor wait;
    usable = AnalyzeMediaFile(file, info) && info.Kind != 0;
  }
  if (!usable && !(info.Kind == kKindAvi && !info.IndexOK)) return file;
  bool dvd = false;
  if (info.IndexOK && IsDvdMpeg2(info)) {
    dvd = true;
    TWaitCursor wait;
    info.IndexOK = !NeedsReconstruct(file);
  }
  if (info.IndexOK) return file;
  const QString message = Lang("Korvel2", dvd ? "NeedReconstruct" : "DamagedFile") + "\n\n" + Lang("Korvel2", "ReconstructNow");
  const int answer = Ask(message, Lang("Korvel2", "Reconstruction") + " (&Y)", Lang("Korvel1", "No") + " (&N)");
  if (answer == kMsgBoxBtn2) return file;
  // Closing the question opens nothing, as the user did not choose to go on.
  if (answer != kMsgBoxBtn1) return {};
  const fs::path repaired = RunReconstructWizard(file);
  if (!repaired.empty()) SelectFileInBrowser(repaired);
  return repaired;
}

bool TMediaBrowser::CheckOpenCompatible(const fs::path& file) {
  TClipList& clips = host_.ClipList();
  const QdMediaInfo& reference = clips.RefInfo();
  if (SameFile(reference.FileName, file)) return true;
  QdMediaInfo info;
  bool usable;
  {
    TWaitCursor wait;
    usable = AnalyzeMediaFile(file, info) && info.Kind != 0;
  }
  if (!usable) {
    const std::string message = info.ReadError != 0
                                    ? LangStr("Base", "FailFileInfo") + "\n\n" + SystemReason(info.ReadError)
                                    : LangStr("Korvel1", "FileFmtUnknown");
    Ask(Words(message), Lang("Base", "OK"));
    return false;
  }
  if (reference.FileName.empty()) return true;
  QdMISameChk chk;
  chk.Title1 = LangStr("Korvel1", "Clips");
  chk.Title2 = LangStr("Base", "Open");
  if (IsSameFormat(&reference, &info, &chk)) return true;
  return ShowFormatDifferences(host_.QuestionOwner(), ApplicationTitle(), Lang("Korvel1", "FileDiff"),
                               host_.QuestionPlacement(), &chk) &&
         host_.StartNewProject();
}

fs::path TMediaBrowser::RunReconstructWizard(const fs::path& file) {
  host_.PausePlayer();
  fs::path repaired;
  {
    std::unique_ptr<TToolCommW> wizard;
    {
      TWaitCursor wait;
      wizard = std::make_unique<TToolCommW>(host_.QuestionOwner(), engines_);
      wizard->SetSource(TToolCommW::kModeMediaFile, file);
    }
    wizard->exec();
    // Only a run that succeeded made a file worth opening.
    repaired = wizard->Result();
  }
  if (repaired.empty()) return {};
  if (SameFile(repaired.parent_path() / "", tree_->CurrentPath())) RefreshFileList();
  std::error_code error;
  return fs::is_regular_file(repaired, error) ? repaired : fs::path();
}

void TMediaBrowser::ReconstructSelectedFile() {
  const fs::path file = FocusedFile();
  if (!file.empty()) RunReconstructWizard(file);
}

void TMediaBrowser::RenameFile(QTreeWidgetItem* item, const QString& newText) {
  const fs::path oldPath = TJDirTree2::ItemPath(item);
  if (oldPath.empty()) return;
  const auto restoreCaption = [&] { item->setText(0, PathText(oldPath.filename())); };
  const std::optional<std::string> name = CheckedNewFileName(QFile::encodeName(newText).toStdString());
  const fs::path newPath = name ? oldPath.parent_path() / *name : fs::path();
  if (newPath.empty() || newPath == oldPath) {
    restoreCaption();
    return;
  }
  if (SameFile(host_.PlayerFile(), oldPath)) host_.CloseMedia();
  if (RenameNoReplace(oldPath, newPath) != 0) {
    restoreCaption();
    return;
  }
  TJDirTree2::SetItemPath(item, newPath);
  item->setText(0, PathText(newPath.filename()));
  SetItemIcon(item);
  host_.ClipList().RenameFile(oldPath, newPath);
}

bool TMediaBrowser::DeleteOneFile(const fs::path& file, bool toTrash) {
  if (toTrash) {
    // Our own trash: Qt's reports success when the home trash cannot be made, having moved the
    // file into a "files" folder of the current folder instead.
    if (MoveToTrash(file) == 0) return true;
    // Some places have no trash (another mount without one); deleting for good needs a yes.
    const QString question = PathText(file) + "\n\n" + Lang("Korvel1", "NoTrash") + "\n\n" + Lang("Korvel1", "DeleteForever");
    if (Ask(question, Lang("Korvel1", "No") + " (&N)", Lang("Base", "Delete") + " (&D)") != kMsgBoxBtn2) return false;
  }
  if (::unlink(file.c_str()) == 0) return true;
  const int error = errno;
  QString message = PathText(file) + "\n\n" + Lang("Base", "FailDelFile") + "\n\n" + Words(SystemReason(error));
  // On Linux deleting a file is a right over its folder, which its owner may withhold.
  if (error == EACCES || error == EPERM) message += "\n\n" + Lang("Base", "Or") + ", " + Lang("Base", "FileMadeAdmin");
  SystemMessageBox(ApplicationTitle(), message, kMsgError);
  return false;
}

void TMediaBrowser::DeleteSelectedFiles() {
  const QList<QTreeWidgetItem*> selected = fileList_->selectedItems();
  if (selected.isEmpty()) return;
  TClipList& clips = host_.ClipList();
  QString used;
  for (const QTreeWidgetItem* item : selected)
    if (clips.FindByFile(TJDirTree2::ItemPath(item))) used += PathText(TJDirTree2::ItemPath(item)) + "\n";
  QString message;
  if (!used.isEmpty())
    message = used + "\n" + Lang("Korvel1", "UsingFiles") + "\n\n" + Lang("Korvel1", "IfDelFile") + "\n\n";
  message += Lang("Base", "DeleteFiles");
  const QString del = Lang("Base", "Delete");
  const int answer = Ask(message, del + " (" + Lang("Korvel1", "Send2Rec") + ") (&Y)", del + " (&D)",
                         Lang("Base", "Cancel") + " (&C)");
  if (answer != kMsgBoxBtn1 && answer != kMsgBoxBtn2) return;
  // From the last to the first, as the design of the list has always done.
  for (auto it = selected.rbegin(); it != selected.rend(); ++it) {
    const fs::path file = TJDirTree2::ItemPath(*it);
    if (SameFile(host_.PlayerFile(), file)) host_.CloseMedia();
    if (!DeleteOneFile(file, answer == kMsgBoxBtn1)) continue;
    delete *it;
    clips.DeleteByFile(file);
  }
  UpdateFolderInfo();
}

void TMediaBrowser::RefreshFileList() {
  const fs::path focused = TJDirTree2::ItemPath(fileList_->currentItem());
  const fs::path top = TJDirTree2::ItemPath(fileList_->itemAt(0, 0));
  tree_->ReChange();
  for (int i = 0; i < fileList_->topLevelItemCount(); ++i) {
    QTreeWidgetItem* item = fileList_->topLevelItem(i);
    const fs::path file = TJDirTree2::ItemPath(item);
    if (!top.empty() && file == top) fileList_->scrollToItem(item, QAbstractItemView::PositionAtTop);
    if (!focused.empty() && file == focused) {
      fileList_->setCurrentItem(item);
      fileList_->scrollToItem(item);
    }
  }
}

void TMediaBrowser::SelectFileInBrowser(const fs::path& file) {
  tree_->SetCurrentPath(file.parent_path());
  fileList_->clearSelection();
  for (int i = 0; i < fileList_->topLevelItemCount(); ++i) {
    QTreeWidgetItem* item = fileList_->topLevelItem(i);
    if (TJDirTree2::ItemPath(item).filename() != file.filename()) continue;
    fileList_->setFocus();
    fileList_->setCurrentItem(item);
    item->setSelected(true);
    fileList_->scrollToItem(item, QAbstractItemView::PositionAtCenter);
    return;
  }
}

void TMediaBrowser::SetColourIndex(int index) {
  colourIndex_ = index >= 0 && index < kBrowserColourCount ? index : 0;
  ApplyColours();
  // A tree not built yet is built by Init.
  if (tree_->topLevelItemCount() > 0) tree_->InitTree();
  emit ColourIndexChanged(colourIndex_);
}

void TMediaBrowser::ApplyColours() {
  const TBrowserColours colours = BrowserColours(colourIndex_);
  SetColours(tree_, colours.TreeBack, colours.TreeText);
  SetColours(fileList_, colours.ListBack, colours.ListText);
  colourGroup_->actions().at(colourIndex_)->setChecked(true);
}

void TMediaBrowser::UpdateFolderInfo() {
  folderInfo_->setText(Words(FolderInfoText(tree_->DisplayPath().toStdString(), fileList_->topLevelItemCount())));
}

void TMediaBrowser::SetItemIcon(QTreeWidgetItem* item) const {
  item->setIcon(0, CategoryIcon(FileIconCategory(TJDirTree2::ItemPath(item).filename())));
}

void TMediaBrowser::AcceptDropsOn(QWidget* widget) {
  widget->setAcceptDrops(true);
  widget->installEventFilter(this);
}

bool TMediaBrowser::IsBrowserDrag(const QMimeData* data) { return data && data->hasFormat(kDragMimeType); }

bool TMediaBrowser::eventFilter(QObject* /*watched*/, QEvent* event) {
  switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
      auto* drag = static_cast<QDragMoveEvent*>(event);
      if (!IsBrowserDrag(drag->mimeData())) return false;
      drag->acceptProposedAction();
      return true;
    }
    case QEvent::Drop: {
      auto* drop = static_cast<QDropEvent*>(event);
      if (!IsBrowserDrag(drop->mimeData())) return false;
      drop->acceptProposedAction();
      OpenSelectedFile();
      return true;
    }
    default:
      return false;
  }
}

}  // namespace korvel
