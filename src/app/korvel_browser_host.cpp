#include "app/korvel_browser_host.h"

#include <QLayout>
#include <QScrollArea>

#include "app/korvel_win.h"
#include "player/preview_player.h"
#include "project/clip_list.h"
#include "project/project_commands.h"

namespace korvel {

QWidget* TKorvelBrowserHost::QuestionOwner() { return &window_; }

std::optional<TDlgPlacement> TKorvelBrowserHost::QuestionPlacement() {
  return window_.PlaceQuestion(TQuestionPlace::AtPointerBesideBrowser);
}

TClipList& TKorvelBrowserHost::ClipList() { return window_.ClipList(); }

std::filesystem::path TKorvelBrowserHost::PlayerFile() { return window_.Player().FileName(); }

void TKorvelBrowserHost::PausePlayer() { window_.Player().Pause(); }

void TKorvelBrowserHost::CloseMedia() {
  window_.Player().CloseFile();
  window_.ClipList().SetCurrent(nullptr);
}

void TKorvelBrowserHost::OpenMediaFile(const std::filesystem::path& file) { window_.OpenMediaFile(file); }

bool TKorvelBrowserHost::StartNewProject() {
  // The list holds clips here; it is empty afterwards only when the user did not cancel.
  window_.ProjectCommands().NewCommand();
  return window_.ClipList().Count() == 0;
}

TMediaBrowser* PlaceBrowser(TKorvelWin& window, IMediaBrowserHost& host, int colourIndex) {
  using enum TKorvelCommand;
  const TKorvelActions& actions = window.Actions();
  const TBrowserActions browserActions{
      .Open = actions.Get(OpenFile),
      .Delete = actions.Get(DeleteFile),
      .Reconstruct = actions.Get(ReconstructMediaFile),
      .Refresh = actions.Get(RefreshFileList),
      .Colours = {actions.Get(BackgroundBlack), actions.Get(BackgroundWhite), actions.Get(BackgroundLightGrey),
                  actions.Get(BackgroundSilver), actions.Get(BackgroundDarkGray)}};
  auto* browser = new TMediaBrowser(host, nullptr, BuiltEngines(), &browserActions);
  browser->setObjectName("MediaBrowser");
  window.BrowserPlace()->layout()->addWidget(browser);
  browser->AcceptDropsOn(window.VideoArea());
  browser->AcceptDropsOn(window.VideoArea()->viewport());
  browser->SetColourIndex(colourIndex);
  browser->Init();
  return browser;
}

}  // namespace korvel
