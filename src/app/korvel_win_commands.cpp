// The main window's commands: the project, producing and repairing, opening media, linking a
// clip, the language, and the close decision.
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QMimeData>
#include <QScrollArea>
#include <QScreen>
#include <QUrl>

#include "app/environment.h"
#include "app/media_browser.h"
#include "app/korvel_win.h"
#include "app/play_controls.h"
#include "app/play_strip.h"
#include "app/settings.h"
#include "app/wizards/pdce_wizard.h"
#include "app/wizards/qt_text.h"
#include "app/wizards/tool_comm_wizard.h"
#include "base/window_question_place.h"
#include "controls/my_msg_box_win.h"
#include "controls/wait_cursor.h"
#include "lang/lang.h"
#include "lang/language.h"
#include "mediainfo/analyze_media_file.h"
#include "mediainfo/media_families.h"
#include "player/preview_player.h"
#include "project/clip_list.h"
#include "project/project_commands.h"
#include "project/project_file.h"

namespace korvel {

namespace {

namespace fs = std::filesystem;

// The maker's help pages.
constexpr const char* kHelpAddress = "https://quendar.example/korvel/help";

QString MediaFileFilter() {
  QStringList all;
  QStringList families;
  for (const TMediaFamily& family : MediaFamilies()) {
    QStringList patterns;
    for (const std::string_view extension : family.Extensions)
      patterns << "*" + QString::fromUtf8(extension.data(), qsizetype(extension.size())).toLower();
    all << patterns;
    families << QString::fromUtf8(family.Name.data(), qsizetype(family.Name.size())) + " (" + patterns.join(' ') + ")";
  }
  return ToQt(LangStr("Base", "Media") + " " + LangStr("Base", "File")) + " (" + all.join(' ') + ");;" +
         families.join(";;");
}

// The local files of a drop that belong to the families the program offers.
std::vector<fs::path> DroppedMediaFiles(const QMimeData& data) {
  std::vector<fs::path> files;
  if (!data.hasUrls()) return files;
  for (const QUrl& url : data.urls()) {
    if (!url.isLocalFile()) continue;
    const fs::path file = PathFromQt(url.toLocalFile());
    if (HasMediaExtension(file.filename().string())) files.push_back(file);
  }
  return files;
}

}  // namespace

void TKorvelWin::ConnectModel() {
  playStrip_ = new TPlayStrip;
  playStripPlace_->layout()->addWidget(playStrip_);
  playControls_ = std::make_unique<TPlayControls>(*player_, *clipList_, *playStrip_,
                                                  TVideoArea{.Container = videoArea_, .Panel = videoPanel_}, actions_);
  playControls_->IsCompact = [this] { return !BrowserShown(); };
  playControls_->ShowBrowser = [this] { ShowBrowser(true); };
  playControls_->ShowClipPanel = [this] { ShowClipPanel(true); };
  connect(playControls_.get(), &TPlayControls::PlayerStateChanged, this, [this](int state) {
    RefreshCommands();
    emit PlayerStateChanged(state);
  });
  connect(this, &TKorvelWin::CaptionsApplied, playControls_.get(), &TPlayControls::ApplyCaptions);
  clipList_->OnChangedFlag = [this](TClipList&) {
    RefreshCommands();
    emit ChangedFlagChanged();
  };
  clipList_->OnListChanged = [this](TClipList&) {
    projectFile_->AutoSave();
    RefreshCommands();
    emit ClipListChanged();
  };
  clipList_->OnCurrentClip = [this](TClipList&, TClipItem* item) {
    LinkClip(item);
    RefreshCommands();
    emit CurrentClipChanged(item);
  };
  projectFile_->OnProjectNameChanged = [this](TProjectFile& project) {
    projectNameLabel_->setText(ToQt(project.ProjectDisplayName()));
  };

  projectCommands_->AskSave = [this](const TSaveQuestion& question) {
    const auto place = PlaceQuestion(question.OverWindow ? TQuestionPlace::OverWindow : TQuestionPlace::AtPointer);
    const int answer = ShowMsgBox(this, ApplicationTitle(), ToQt(question.Message), place, kMsgBoxQuestion,
                                  ToQt(question.Buttons[2]), ToQt(question.Buttons[1]), ToQt(question.Buttons[0]));
    if (answer == kMsgBoxBtn1) return TSaveAnswer::Yes;
    if (answer == kMsgBoxBtn2) return TSaveAnswer::No;
    return TSaveAnswer::Cancel;
  };
  projectCommands_->ChooseFile = [this](const TFileDialogRequest& request) {
    QFileDialog dialog(this, ToQt(request.Title), ToQt(request.Folder));
    dialog.setObjectName(request.Save ? "SaveProjectDg" : "OpenProjectDg");
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(request.Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.Save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilter(ToQt(request.Filter));
    dialog.setDefaultSuffix(ToQt(request.DefaultSuffix));
    if (!request.FileName.empty()) dialog.selectFile(ToQt(request.FileName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return fs::path();
    return PathFromQt(dialog.selectedFiles().front());
  };
  projectCommands_->ShowFailure = [this](const std::string& text) {
    ShowMsgBox(this, ApplicationTitle(), ToQt(text), PlaceQuestion(TQuestionPlace::AtPointer), kMsgBoxError,
               ToQt(LangStr("Base", "OK")));
  };
  projectCommands_->ShowClipList = [this] { ShowClipPanel(true); };
}

void TKorvelWin::OnCommand(TKorvelCommand command, std::function<void()> work) {
  connect(actions_.Get(command), &QAction::triggered, this, [this, command, work = std::move(work)] {
    // A shortcut may come long after a menu last showed the command enabled.
    if (CommandAllowed(command)) work();
  });
}

void TKorvelWin::ConnectCommands() {
  using enum TKorvelCommand;
  OnCommand(NewProject, [this] { projectCommands_->NewCommand(); });
  OnCommand(OpenProject, [this] { projectCommands_->OpenCommand(); });
  OnCommand(SaveProject, [this] { projectCommands_->SaveCommand(false); });
  OnCommand(SaveProjectAs, [this] { projectCommands_->SaveCommand(true); });
  OnCommand(OpenMediaFile, [this] { ChooseMediaFile(); });
  OnCommand(Produce, [this] { this->Produce(); });
  OnCommand(Exit, [this] { close(); });
  OnCommand(FileList, [this] { ShowBrowser(!BrowserShown()); });
  OnCommand(ClipList, [this] { ShowClipPanel(!ClipPanelShown()); });
  for (const TKorvelCommand tool : {ReconstructAvi, ReconstructWmv, ReconstructVob})
    OnCommand(tool, [this] { Reconstruct({}); });
  OnCommand(Help, [] {
    TWaitCursor wait;
    QDesktopServices::openUrl(QUrl(QString::fromLatin1(kHelpAddress)));
  });
}

TProjectCommandState TKorvelWin::CommandState() const {
  return {.ListChanged = clipList_->Changed(), .ClipCount = clipList_->Count(), .HasAnchor = clipList_->Anchor() != nullptr};
}

bool TKorvelWin::CommandAllowed(TKorvelCommand command) const {
  return ProjectCommandEnabled(command, CommandState()).value_or(true);
}

void TKorvelWin::RefreshCommands() {
  const TProjectCommandState state = CommandState();
  for (int i = 0; i < kKorvelCommandCount; ++i) {
    const auto command = static_cast<TKorvelCommand>(i);
    if (const auto enabled = ProjectCommandEnabled(command, state)) actions_.Get(command)->setEnabled(*enabled);
  }
  if (playControls_) playControls_->UpdateEnabled();
  actions_.Get(TKorvelCommand::FileList)->setChecked(BrowserShown());
  actions_.Get(TKorvelCommand::ClipList)->setChecked(ClipPanelShown());
}

bool TKorvelWin::OpenMediaFile(const fs::path& path) {
  const fs::path checked = browser_->CheckedOpenPath(path);
  if (checked.empty()) return false;
  player_->CloseFile();
  clipList_->SetCurrent(nullptr);
  TWaitCursor wait;
  if (!player_->OpenFile(checked)) return false;
  playControls_->StartSeekBarFocus();
  return true;
}

void TKorvelWin::ChooseMediaFile() {
  QFileDialog dialog(this, ToQt(CommandCaption(TKorvelCommand::OpenMediaFile)));
  dialog.setObjectName("OpenMediaDg");
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setNameFilter(MediaFileFilter());
  if (!player_->FileName().empty()) dialog.setDirectory(ToQt(player_->FileName().parent_path()));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  OpenMediaFile(PathFromQt(dialog.selectedFiles().front()));
}

void TKorvelWin::Produce() {
  ShowClipPanel(true);
  player_->Pause();
  std::unique_ptr<TPdceWizardW> wizard;
  {
    TWaitCursor wait;
    wizard = std::make_unique<TPdceWizardW>(this);
    wizard->SetLastProjectFolder(projectCommands_->LastProjectFolder());
    wizard->SetClipList(clipList_.get());
  }
  wizard->exec();
  projectCommands_->SetLastProjectFolder(wizard->LastProjectFolder());
  const fs::path output = wizard->Destination();
  const bool openOutput = wizard->OpenOutputFile();
  wizard.reset();
  std::error_code error;
  if (openOutput && fs::is_regular_file(output, error)) {
    player_->CloseFile();
    clipList_->SetCurrent(nullptr);
    TWaitCursor wait;
    player_->OpenFile(output);
  }
}

void TKorvelWin::Reconstruct(const fs::path& file) {
  player_->Pause();
  std::unique_ptr<TToolCommW> wizard;
  {
    TWaitCursor wait;
    wizard = std::make_unique<TToolCommW>(this);
    wizard->SetLastProjectFolder(projectCommands_->LastProjectFolder());
    wizard->SetSource(TToolCommW::kModeMediaFile, file);
  }
  wizard->exec();
  projectCommands_->SetLastProjectFolder(wizard->LastProjectFolder());
}

std::optional<TDlgPlacement> TKorvelWin::PlaceQuestion(TQuestionPlace place) const {
  // On Wayland a window neither knows nor chooses where it stands.
  if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) return std::nullopt;
  const QRect frame = frameGeometry();
  const QPoint playBottom = clipPanelPlace_->mapToGlobal(QPoint(0, 0));
  TWindowBounds bounds{.Left = frame.left(),
                       .Top = frame.top(),
                       .Width = frame.width(),
                       .PlayAreaBottom = ClipPanelShown() ? playBottom.y() : frame.bottom(),
                       .LeftEdge = std::nullopt};
  const QPoint cursor = QCursor::pos();
  switch (place) {
    case TQuestionPlace::AtPointer: return PlaceInWindow(PlaceAtCursor(cursor.x(), cursor.y()), bounds);
    case TQuestionPlace::AtPointerBesideBrowser:
      bounds.LeftEdge = videoArea_->mapToGlobal(QPoint(0, 0)).x();
      return PlaceInWindow(PlaceAtCursor(cursor.x(), cursor.y()), bounds);
    case TQuestionPlace::OverWindow: {
      const QPoint centre = mapToGlobal(rect().center());
      return PlaceInWindow(PlaceOverWindow(centre.x(), centre.y()), bounds);
    }
  }
  return std::nullopt;
}

bool TKorvelWin::eventFilter(QObject* watched, QEvent* event) {
  if (watched == videoArea_ || watched == videoArea_->viewport()) {
    if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
      auto* drag = static_cast<QDropEvent*>(event);
      if (drag->mimeData() && !DroppedMediaFiles(*drag->mimeData()).empty()) {
        drag->acceptProposedAction();
        return true;
      }
    } else if (event->type() == QEvent::Drop) {
      auto* drop = static_cast<QDropEvent*>(event);
      const std::vector<fs::path> files = drop->mimeData() ? DroppedMediaFiles(*drop->mimeData()) : std::vector<fs::path>{};
      if (files.empty()) return false;
      drop->acceptProposedAction();
      // The drop is answered before the file is analysed, so that the file manager is not held.
      const fs::path file = files.front();
      QMetaObject::invokeMethod(this, [this, file] { OpenMediaFile(file); }, Qt::QueuedConnection);
      return true;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

void TKorvelWin::closeEvent(QCloseEvent* event) {
  const bool mayClose = shutDown_ || projectCommands_->QuerySave(true);
  projectFile_->SetClosing(mayClose);
  if (!mayClose) {
    event->ignore();
    return;
  }
  ShutDown();
  event->accept();
}

void TKorvelWin::ShutDown() {
  if (shutDown_) return;
  shutDown_ = true;
  player_->CloseFile();
  clipList_->SetCurrent(nullptr);
  settings_.LastProjectFolder = projectCommands_->LastProjectFolder();
  settings_.BrowserColorIndex = backgroundColorIndex_;
  if (BrowserShown()) settings_.BrowserPanelWidth = leftPanel_->width();
  language_->CloseLanguage();
  StoreSettings(settings_, *language_);
}

}  // namespace korvel
