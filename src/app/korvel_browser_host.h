#pragma once
// The browser in the main window: what of the window it works with, and its place there.
#include "app/media_browser.h"

namespace korvel {

class TKorvelWin;

class TKorvelBrowserHost final : public IMediaBrowserHost {
public:
  explicit TKorvelBrowserHost(TKorvelWin& window) : window_(window) {}

  QWidget* QuestionOwner() override;
  std::optional<TDlgPlacement> QuestionPlacement() override;
  TClipList& ClipList() override;
  std::filesystem::path PlayerFile() override;
  void PausePlayer() override;
  void CloseMedia() override;
  void OpenMediaFile(const std::filesystem::path& file) override;
  bool StartNewProject() override;

private:
  TKorvelWin& window_;
};

// Makes the browser in the window's browser place with the window's file list commands, lets
// the video area take files dragged from it, and shows the user's videos.
TMediaBrowser* PlaceBrowser(TKorvelWin& window, IMediaBrowserHost& host, int colourIndex);

}  // namespace korvel
