#include "controls/j_dir_tree2.h"

#include <sys/stat.h>

#include <QFile>
#include <QHeaderView>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QStyle>
#include <ctime>

#include "base/file_list_text.h"
#include "base/path_normal.h"
#include "base/volume_kind.h"
#include "controls/wait_cursor.h"

namespace korvel {
namespace {

namespace fs = std::filesystem;

constexpr int kPathRole = Qt::UserRole;
constexpr int kVolumeRole = Qt::UserRole + 1;  // a TVolumeKind + 1 on volume nodes, 0 elsewhere

// Kernel and runtime file systems hold no media; the volumes worth showing are the root and the
// mounts of real devices that are folders (not single files bound into place).
bool ShownVolume(const QStorageInfo& volume) {
  if (!volume.isValid() || !volume.isReady()) return false;
  const QString root = volume.rootPath();
  if (root == "/") return true;
  if (!volume.device().startsWith("/dev/") || !QFileInfo(root).isDir()) return false;
  for (const QString hidden : {"/proc", "/sys", "/dev", "/run"})
    if (root == hidden || root.startsWith(hidden + "/")) return root.startsWith("/run/media/");
  return true;
}

QString VolumeCaption(const QStorageInfo& volume) {
  const QString root = volume.rootPath();
  const QString label = volume.name().isEmpty() && root == "/" ? QStringLiteral("File System") : volume.name();
  return label.isEmpty() ? root : label + " (" + root + ")";
}

TVolumeKind KindOf(const QStorageInfo& volume) {
  return VolumeKindOf(volume.device().toStdString(), volume.fileSystemType().toStdString());
}

// stat follows links; a link that leads nowhere still shows, with its own time and no size.
bool StatEntry(const fs::path& path, struct stat& status) {
  return ::stat(path.c_str(), &status) == 0 || ::lstat(path.c_str(), &status) == 0;
}

}  // namespace

TJDirTree2::TJDirTree2(QWidget* parent) : QTreeWidget(parent) {
  setHeaderHidden(true);
  setColumnCount(1);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  connect(this, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* node) {
    if (!ready_ || expanding_) return;
    if (node == computer_) {
      MakeDriveTree();
    } else {
      MakeSubTree(node);
    }
  });
  connect(this, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* node) {
    if (ready_ && node) EventChange(node);
  });
}

QString TJDirTree2::NameText(const fs::path& name) {
  return QFile::decodeName(QByteArray::fromStdString(name.native()));
}

void TJDirTree2::SetItemPath(QTreeWidgetItem* item, const fs::path& path) {
  item->setData(0, kPathRole, QByteArray::fromStdString(path.native()));
}

fs::path TJDirTree2::ItemPath(const QTreeWidgetItem* item) {
  return item ? fs::path(item->data(0, kPathRole).toByteArray().toStdString()) : fs::path();
}

void TJDirTree2::SetFileListV(QTreeWidget* list) {
  fileList_ = list;
  if (!list) return;
  list->setColumnCount(3);
  list->setRootIsDecorated(false);
  list->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list->header()->setStretchLastSection(false);
  list->header()->setSectionResizeMode(0, QHeaderView::Stretch);
}

void TJDirTree2::SetFileFilter(const std::string& filter) { filter_ = TFileFilter::Parse(filter); }

void TJDirTree2::DirTreeInit(const fs::path& toFolder) {
  InitTree();
  if (!toFolder.empty()) SetCurrentPath(toFolder);
}

void TJDirTree2::InitTree() {
  const fs::path selected = ready_ ? CurrentPath() : fs::path();
  ready_ = false;
  specials_.clear();
  computer_ = nullptr;
  clear();
  const QIcon userFolder = style()->standardIcon(QStyle::SP_DirHomeIcon);
  const std::pair<QStandardPaths::StandardLocation, QIcon> locations[] = {
      {QStandardPaths::DesktopLocation, style()->standardIcon(QStyle::SP_DesktopIcon)},
      {QStandardPaths::DocumentsLocation, userFolder},
      {QStandardPaths::PicturesLocation, userFolder},
      {QStandardPaths::MusicLocation, userFolder},
      {QStandardPaths::MoviesLocation, userFolder}};
  const QString home = QStandardPaths::writableLocation(QStandardPaths::HomeLocation);
  for (const auto& [location, icon] : locations) {
    const QString folder = QStandardPaths::writableLocation(location);
    // Without its own folder a location falls back to the home folder, which is no such place.
    if (folder.isEmpty() || folder == home || !QFileInfo(folder).isDir()) continue;
    const fs::path path = QFile::encodeName(folder).toStdString();
    // The folder's own name, which the desktop already shows in the user's language.
    const QString name = NameText(path.filename());
    specials_.push_back({path, name, AddFolderNode(nullptr, path, name, icon)});
  }
  computer_ = new QTreeWidgetItem(this, QStringList{QStringLiteral("Computer")});
  computer_->setIcon(0, style()->standardIcon(QStyle::SP_ComputerIcon));
  ready_ = true;
  MakeDriveTree();
  expanding_ = true;
  computer_->setExpanded(true);
  expanding_ = false;
  if (!selected.empty()) SetCurrentPath(selected);
}

QTreeWidgetItem* TJDirTree2::AddFolderNode(QTreeWidgetItem* parent, const fs::path& folder, const QString& name,
                                           const QIcon& icon) {
  auto* node = parent ? new QTreeWidgetItem(parent, QStringList{name}) : new QTreeWidgetItem(this, QStringList{name});
  SetItemPath(node, folder);
  node->setIcon(0, icon);
  SetChildFlag(node, HasSubDir(folder));
  return node;
}

void TJDirTree2::SetChildFlag(QTreeWidgetItem* node, bool hasChildren) {
  node->setChildIndicatorPolicy(hasChildren ? QTreeWidgetItem::ShowIndicator
                                            : QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

bool TJDirTree2::CountsAsFolder(const fs::directory_entry& entry) const {
  std::error_code error;
  if (!entry.is_directory(error)) return false;
  return showHidden_ || entry.path().filename().native().front() != '.';
}

bool TJDirTree2::HasSubDir(const fs::path& folder) const {
  std::error_code error;
  for (fs::directory_iterator it(folder, fs::directory_options::skip_permission_denied, error), end;
       !error && it != end; it.increment(error))
    if (CountsAsFolder(*it)) return true;
  return false;
}

void TJDirTree2::MakeDriveTree() {
  qDeleteAll(computer_->takeChildren());
  for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
    if (!ShownVolume(volume)) continue;
    const TVolumeKind kind = KindOf(volume);
    const QStyle::StandardPixmap pictures[] = {QStyle::SP_DriveHDIcon, QStyle::SP_DriveFDIcon, QStyle::SP_DriveCDIcon};
    auto* node = new QTreeWidgetItem(computer_, QStringList{VolumeCaption(volume)});
    SetItemPath(node, QFile::encodeName(volume.rootPath()).toStdString());
    node->setIcon(0, style()->standardIcon(pictures[static_cast<int>(kind)]));
    node->setData(0, kVolumeRole, static_cast<int>(kind) + 1);
    // A drive whose medium may be missing is not touched until it is chosen.
    SetChildFlag(node, kind == TVolumeKind::Fixed ? HasSubDir(ItemPath(node)) : true);
  }
  computer_->sortChildren(0, Qt::AscendingOrder);
}

void TJDirTree2::MakeSubTree(QTreeWidgetItem* node) {
  qDeleteAll(node->takeChildren());
  QIcon folderIcon = style()->standardIcon(QStyle::SP_DirIcon);
  folderIcon.addPixmap(style()->standardIcon(QStyle::SP_DirOpenIcon).pixmap(16), QIcon::Selected);
  std::error_code error;
  for (fs::directory_iterator it(ItemPath(node), fs::directory_options::skip_permission_denied, error), end;
       !error && it != end; it.increment(error))
    if (CountsAsFolder(*it)) AddFolderNode(node, it->path(), NameText(it->path().filename()), folderIcon);
  node->sortChildren(0, Qt::AscendingOrder);
}

void TJDirTree2::DriveSelectReSet(QTreeWidgetItem* node) {
  const int volume = node->data(0, kVolumeRole).toInt();
  if (volume == 0 || volume - 1 == static_cast<int>(TVolumeKind::Fixed)) return;
  qDeleteAll(node->takeChildren());
  const QStorageInfo storage(QFile::decodeName(QByteArray::fromStdString(ItemPath(node).native())));
  // A changed medium shows its own label.
  if (storage.isValid()) node->setText(0, VolumeCaption(storage));
  SetChildFlag(node, HasSubDir(ItemPath(node)));
}

void TJDirTree2::EventChange(QTreeWidgetItem* node) {
  DriveSelectReSet(node);
  const fs::path folder = ItemPath(node);
  if (!folder.empty()) {
    std::error_code error;
    fs::directory_iterator probe(folder, error);
    if (!error) {
      const bool hasChildren = HasSubDir(folder);
      if (!hasChildren && node->isExpanded()) node->setExpanded(false);
      SetChildFlag(node, hasChildren);
    } else {
      // A folder gone or a drive without its medium hands the selection to its parent.
      node->setExpanded(false);
      QTreeWidgetItem* parent = node->parent();
      if (parent && parent != computer_) {
        parent->setExpanded(false);
        setCurrentItem(parent);
        return;
      }
    }
  }
  ReMakeFileList();
  emit OnChangeUser(node);
}

void TJDirTree2::ReChange() {
  if (ready_ && currentItem()) EventChange(currentItem());
}

void TJDirTree2::ReMakeFileList() {
  if (!ready_ || !fileList_) return;
  TWaitCursor wait;
  fileList_->setUpdatesEnabled(false);
  fileList_->setSortingEnabled(false);
  fileList_->clear();
  const fs::path folder = ItemPath(currentItem());
  const NumberSeparators separators = UserNumberSeparators();
  std::error_code error;
  if (!folder.empty()) {
    for (fs::directory_iterator it(folder, fs::directory_options::skip_permission_denied, error), end;
         !error && it != end; it.increment(error)) {
      std::error_code ignored;
      const fs::path name = it->path().filename();
      if (it->is_directory(ignored) || !filter_.Passes(name.native(), showHidden_)) continue;
      auto* item = new QTreeWidgetItem(fileList_, QStringList{NameText(name)});
      SetItemPath(item, it->path());
      item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDragEnabled | Qt::ItemIsEditable);
      struct stat status {};
      if (StatEntry(it->path(), status)) {
        std::tm local{};
        localtime_r(&status.st_mtime, &local);
        item->setText(1, QString::fromStdString(
                             FileSizeText(S_ISREG(status.st_mode) ? static_cast<uint64_t>(status.st_size) : 0, separators)));
        item->setText(2, QString::fromStdString(FileDateText(local)));
      }
      item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    }
  }
  fileList_->sortItems(0, Qt::AscendingOrder);
  fileList_->setUpdatesEnabled(true);
}

fs::path TJDirTree2::CurrentPath() const {
  const fs::path folder = ready_ ? ItemPath(currentItem()) : fs::path();
  return folder.empty() ? folder : folder / "";
}

QTreeWidgetItem* TJDirTree2::StartNodeFor(const fs::path& folder, fs::path& rest) const {
  std::vector<fs::path> specialFolders;
  for (const SpecialFolder& special : specials_) specialFolders.push_back(special.folder);
  if (const auto index = InnermostFolderOf(folder, specialFolders)) {
    rest = *PathInsideFolder(folder, specials_[*index].folder);
    return specials_[*index].node;
  }
  std::vector<fs::path> volumes;
  for (int i = 0; i < computer_->childCount(); ++i) volumes.push_back(ItemPath(computer_->child(i)));
  if (const auto index = InnermostFolderOf(folder, volumes)) {
    rest = *PathInsideFolder(folder, volumes[*index]);
    return computer_->child(static_cast<int>(*index));
  }
  return nullptr;
}

void TJDirTree2::SetCurrentPath(const fs::path& folder) {
  if (!ready_ || folder.empty()) return;
  const fs::path wanted = NormalPath(folder / "");
  if (wanted == NormalPath(CurrentPath())) return;
  fs::path rest;
  QTreeWidgetItem* node = StartNodeFor(wanted, rest);
  if (!node) return;
  for (const fs::path& piece : rest) {
    if (piece.empty()) continue;
    if (node->childCount() == 0 || !node->isExpanded()) {
      MakeSubTree(node);
      expanding_ = true;
      node->setExpanded(true);
      expanding_ = false;
    }
    QTreeWidgetItem* child = nullptr;
    for (int i = 0; i < node->childCount() && !child; ++i)
      if (ItemPath(node->child(i)).filename() == piece) child = node->child(i);
    if (!child) break;
    node = child;
  }
  setCurrentItem(node);
  scrollToItem(node);
}

QString TJDirTree2::DisplayPath() const {
  const fs::path folder = CurrentPath();
  if (folder.empty()) return {};
  std::vector<fs::path> specialFolders;
  for (const SpecialFolder& special : specials_) specialFolders.push_back(special.folder);
  const auto index = InnermostFolderOf(folder, specialFolders);
  if (!index) return NameText(folder);
  const fs::path rest = *PathInsideFolder(folder, specials_[*index].folder);
  return specials_[*index].name + "/" + (rest.empty() ? QString() : NameText(rest / ""));
}

}  // namespace korvel
