#include "app/korvel_win.h"

#include <QActionGroup>
#include <QApplication>
#include <QLabel>
#include <QMenuBar>
#include <QScrollArea>
#include <QSplitter>
#include <QTimer>
#include <QVBoxLayout>

#include "app/clip_panel.h"
#include "app/environment.h"
#include "app/korvel_browser_host.h"
#include "app/play_controls.h"
#include "app/settings.h"
#include "lang/language.h"
#include "lang/language_folder.h"
#include "player/mpv_player_engine.h"
#include "player/preview_player.h"
#include "player/video_panel.h"
#include "project/clip_list.h"
#include "project/project_commands.h"
#include "project/project_file.h"

namespace korvel {

namespace {

constexpr int kFirstShowDelayMs = 20;
const QColor kPanelColor(0x20, 0x20, 0x20);

// An empty place for another part of the window: a widget with a margin-less vertical layout.
QWidget* MakePlace(const char* name, QWidget* parent = nullptr) {
  auto* place = new QWidget(parent);
  place->setObjectName(name);
  auto* layout = new QVBoxLayout(place);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  return place;
}

std::unique_ptr<IPlayerEngine> DefaultEngine() { return std::make_unique<MpvPlayerEngine>(); }

}  // namespace

TKorvelWin::TKorvelWin(TKorvelWinSetup setup) : actions_(this) {
  setObjectName("KorvelWin");
  setMinimumSize(760, 560);
  setWindowState(Qt::WindowMaximized);
  QFont uiFont = font();
  SetUiFont(uiFont);
  setFont(uiFont);
  BuildLayout();
  ApplyDarkScheme();

  language_ = std::make_unique<TLanguage>(setup.LanguageFolder.empty() ? ProgramLanguageFolder() : setup.LanguageFolder);
  settings_ = LoadSettings(*language_);
  language_->LoadLanguage();
  backgroundColorIndex_ = settings_.BrowserColorIndex;
  splitter_->setSizes({settings_.BrowserPanelWidth, width()});

  player_ = std::make_unique<TPreviewPlayer>(setup.Engine ? std::move(setup.Engine) : DefaultEngine());
  clipList_ = std::make_unique<TClipList>();
  projectFile_ = std::make_unique<TProjectFile>(*clipList_);
  projectCommands_ = std::make_unique<TProjectCommands>(*projectFile_, *clipList_);
  projectCommands_->SetLastProjectFolder(settings_.LastProjectFolder);
  ConnectModel();

  BuildMenus();
  ConnectCommands();
  BuildClipPanel();
  browserHost_ = std::make_unique<TKorvelBrowserHost>(*this);
  browser_ = PlaceBrowser(*this, *browserHost_, backgroundColorIndex_);
  connect(browser_, &TMediaBrowser::ColourIndexChanged, this, [this](int index) { backgroundColorIndex_ = index; });
  actions_.AttachShortcuts(this, clipPanelPlace_, playArea_);
  ApplyCaptions();
  BuildLanguageMenu();
  // The player's commands and the strip's clip commands wait for the player's first change of
  // state to be enabled.
  for (int i = static_cast<int>(TKorvelCommand::CloseMedia); i <= static_cast<int>(TKorvelCommand::CopyClip); ++i)
    actions_.Get(static_cast<TKorvelCommand>(i))->setEnabled(false);
  RefreshCommands();

  firstShowTimer_ = new QTimer(this);
  firstShowTimer_->setSingleShot(true);
  firstShowTimer_->setInterval(kFirstShowDelayMs);
  connect(firstShowTimer_, &QTimer::timeout, this, [this] { RestoreWorkStateNow(); });
}

TKorvelWin::~TKorvelWin() {
  ShutDown();
  // The panel mirrors the clip list, which goes before the window's children do.
  clipPanel_->Detach();
}

void TKorvelWin::BuildLayout() {
  auto* central = new QWidget;
  central->setObjectName("PanMain");
  auto* mainLayout = new QVBoxLayout(central);
  mainLayout->setContentsMargins(0, 0, 0, 0);
  mainLayout->setSpacing(0);

  splitter_ = new QSplitter(Qt::Horizontal);
  splitter_->setObjectName("Splitter");
  splitter_->setChildrenCollapsible(false);

  leftPanel_ = new QWidget;
  leftPanel_->setObjectName("PanLeft");
  auto* leftLayout = new QVBoxLayout(leftPanel_);
  leftLayout->setContentsMargins(4, 4, 0, 4);
  leftLayout->setSpacing(4);
  browserPlace_ = MakePlace("PanBrowser");
  leftLayout->addWidget(browserPlace_, 1);
  projectPanel_ = new QWidget;
  projectPanel_->setObjectName("PanProject");
  auto* projectLayout = new QHBoxLayout(projectPanel_);
  projectLayout->setContentsMargins(4, 2, 4, 2);
  projectNameLabel_ = new QLabel;
  projectNameLabel_->setObjectName("LblProjectName");
  // A project is named after its file, which may hold anything.
  projectNameLabel_->setTextFormat(Qt::PlainText);
  projectLayout->addWidget(projectNameLabel_, 1);
  leftLayout->addWidget(projectPanel_);

  playArea_ = new QWidget;
  playArea_->setObjectName("PanPlay");
  auto* playLayout = new QVBoxLayout(playArea_);
  playLayout->setContentsMargins(0, 4, 4, 0);
  playLayout->setSpacing(0);
  videoArea_ = new QScrollArea;
  videoArea_->setObjectName("ScrBoxVideo");
  videoArea_->setFrameShape(QFrame::NoFrame);
  videoArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  videoArea_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  videoArea_->setAcceptDrops(true);
  videoArea_->installEventFilter(this);
  videoPanel_ = new TVideoPanel;
  videoPanel_->setObjectName("PanVideo");
  videoArea_->setWidget(videoPanel_);
  videoArea_->viewport()->setAcceptDrops(true);
  videoArea_->viewport()->installEventFilter(this);
  playLayout->addWidget(videoArea_, 1);
  playStripPlace_ = MakePlace("PanPlayStrip");
  playLayout->addWidget(playStripPlace_);

  splitter_->addWidget(leftPanel_);
  splitter_->addWidget(playArea_);
  splitter_->setStretchFactor(0, 0);
  splitter_->setStretchFactor(1, 1);
  mainLayout->addWidget(splitter_, 1);

  clipPanelPlace_ = MakePlace("PanClipList");
  mainLayout->addWidget(clipPanelPlace_);
  setCentralWidget(central);
}

void TKorvelWin::ApplyDarkScheme() {
  // The menu bar keeps the desktop's colours; everything under it is dark, the video black.
  QPalette dark = centralWidget()->palette();
  dark.setColor(QPalette::Window, kPanelColor);
  dark.setColor(QPalette::WindowText, Qt::white);
  centralWidget()->setPalette(dark);
  centralWidget()->setAutoFillBackground(true);
  QPalette black = videoArea_->palette();
  black.setColor(QPalette::Window, Qt::black);
  black.setColor(QPalette::Base, Qt::black);
  videoArea_->setPalette(black);
  videoArea_->viewport()->setPalette(black);
  videoArea_->viewport()->setAutoFillBackground(true);
  videoPanel_->setPalette(black);
}

QMenu* TKorvelWin::Menu(TKorvelMenu menu) const {
  for (const auto& [which, widget] : menus_)
    if (which == menu) return widget;
  return nullptr;
}

QMenu* TKorvelWin::FillCommandMenu(QMenu* menu, std::initializer_list<std::optional<TKorvelCommand>> items) {
  for (const auto& item : items) {
    if (item)
      menu->addAction(actions_.Get(*item));
    else
      menu->addSeparator();
  }
  connect(menu, &QMenu::aboutToShow, this, [this] { RefreshCommands(); });
  return menu;
}

void TKorvelWin::BuildMenus() {
  using enum TKorvelCommand;
  const auto add = [this](TKorvelMenu which, std::initializer_list<std::optional<TKorvelCommand>> items) {
    QMenu* menu = FillCommandMenu(menuBar()->addMenu(QString()), items);
    menus_.emplace_back(which, menu);
    return menu;
  };
  add(TKorvelMenu::File, {NewProject, OpenProject, SaveProject, SaveProjectAs, std::nullopt, OpenMediaFile,
                          std::nullopt, Produce, std::nullopt, Exit});
  add(TKorvelMenu::Play, {CloseMedia, std::nullopt, Stop, Pause, Play, std::nullopt, First, Back, Next, Last,
                          BackSec, NextSec, std::nullopt, SetSelStart, SetSelEnd, GoToSelStart, GoToSelEnd,
                          std::nullopt, FullScreen, CloseFullScreen});
  add(TKorvelMenu::Clip, {UnlinkClip, AddClip, CopyClip, std::nullopt, EditSelectedClip, CopySelectedClip,
                          DeleteSelectedClip, ClearClipList, std::nullopt, ClipProperties});
  add(TKorvelMenu::View, {FileList, ClipList});
  add(TKorvelMenu::Tools, {ReconstructAvi, ReconstructWmv, ReconstructVob});
  QMenu* options = add(TKorvelMenu::Options, {});
  QMenu* colours = options->addMenu(QString());
  for (const TKorvelCommand command :
       {BackgroundBlack, BackgroundWhite, BackgroundLightGrey, BackgroundSilver, BackgroundDarkGray})
    colours->addAction(actions_.Get(command));
  menus_.emplace_back(TKorvelMenu::BackgroundColor, colours);
  QMenu* language = options->addMenu(QString());
  menus_.emplace_back(TKorvelMenu::Language, language);
  add(TKorvelMenu::Help, {Help});
}

void TKorvelWin::ApplyCaptions() {
  setWindowTitle(ApplicationTitle() + QStringLiteral(" " KORVEL_VERSION_TEXT));
  actions_.ApplyCaptions();
  for (const auto& [which, menu] : menus_) menu->setTitle(QString::fromStdString(MenuCaption(which)));
  projectNameLabel_->setText(QString::fromStdString(projectFile_->ProjectDisplayName()));
  emit CaptionsApplied();
}

void TKorvelWin::BuildLanguageMenu() {
  QMenu* menu = Menu(TKorvelMenu::Language);
  menu->clear();
  auto* group = new QActionGroup(menu);
  for (const LanguageMenuEntry& entry : language_->MenuEntries()) {
    // The caption holds the translator's name, from the file: no accelerators in it.
    QAction* item = menu->addAction(QString::fromStdString(EscapeMenuText(entry.caption)));
    item->setCheckable(true);
    item->setChecked(entry.checked);
    group->addAction(item);
    const std::string fileName = entry.fileName;
    connect(item, &QAction::triggered, this, [this, fileName] { SelectLanguage(fileName); });
  }
}

void TKorvelWin::SelectLanguage(const std::string& fileName) {
  language_->SelectLanguage(fileName);
  ApplyCaptions();
  BuildLanguageMenu();
}

void TKorvelWin::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!firstShowPending_) return;
  firstShowPending_ = false;
  firstShowTimer_->start();
}

void TKorvelWin::RestoreWorkStateNow() {
  repaint();
  projectFile_->RestoreWorkState();
  restored_ = true;
  RefreshCommands();
}

}  // namespace korvel
