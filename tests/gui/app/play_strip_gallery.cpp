// The play strip in the gallery of scripts/screenshot: a file paused inside its selection, with
// its key frames marked and the video above the strip as the main window has it.
#include <QAction>
#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>

#include "app/korvel_actions.h"
#include "app/play_controls.h"
#include "app/play_strip.h"
#include "gui/gallery/gallery.h"
#include "player/mpv_player_engine.h"
#include "player/preview_player.h"
#include "player/video_panel.h"
#include "project/clip_list.h"

namespace korvel::test {

namespace {

// What the main window owns, ended in the reverse order of making.
struct StripParts : QObject {
  using QObject::QObject;
  TClipList clipList;
  std::unique_ptr<TKorvelActions> actions;
  std::unique_ptr<TPreviewPlayer> player;
  std::unique_ptr<TPlayControls> controls;
};

std::unique_ptr<QWidget> PlayStripWindow(const std::function<void()>& ready) {
  auto window = MakeDarkGalleryWindow();
  auto* parts = new StripParts(window.get());
  parts->player = std::make_unique<TPreviewPlayer>(std::make_unique<MpvPlayerEngine>(MpvPlayerEngine::Options{.audioOutput = "null"}));
  TPreviewPlayer* player = parts->player.get();

  TVideoArea video{.Container = new QScrollArea, .Panel = new TVideoPanel};
  video.Container->setFrameShape(QFrame::NoFrame);
  video.Container->setStyleSheet(QStringLiteral("background: black"));
  auto* strip = new TPlayStrip;
  auto* layout = new QVBoxLayout(window.get());
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(video.Container, 1);
  layout->addWidget(strip);

  parts->actions = std::make_unique<TKorvelActions>(window.get());
  parts->controls = std::make_unique<TPlayControls>(*player, parts->clipList, *strip, video, *parts->actions);
  player->AutoPlay = false;
  player->ErrorBox = false;
  window->resize(900, 520);

  if (player->OpenFile(KORVEL_FIXTURE_DIR "/player_colours_bframes.mp4")) {
    player->SetPosition(1.6);
    parts->actions->Get(TKorvelCommand::SetSelEnd)->trigger();
    player->SetPosition(0.4);
    parts->actions->Get(TKorvelCommand::SetSelStart)->trigger();
    player->SetPosition(0.96);
    player->UpdatePosition();
  }
  auto* poll = new QTimer(window.get());
  QObject::connect(poll, &QTimer::timeout, window.get(), [player, parts, panel = video.Panel, ready, poll] {
    player->FitVideo();
    // The key frames come from a listing in the background.
    if (!panel->Picture().isNull() && parts->controls->KeyFrames().KeyFrames()) {
      poll->stop();
      ready();
    }
  });
  poll->start(50);
  return window;
}

}  // namespace

KORVEL_GALLERY_WINDOW({"playstrip", "the play strip under the video, paused inside a selection", 4, PlayStripWindow});

}  // namespace korvel::test
