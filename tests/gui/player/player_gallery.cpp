// The preview player in the gallery of scripts/screenshot: a file playing its selection again and
// again, with the state and position labels and both seek bars as the main window has them.
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>

#include "controls/qd_track_bar.h"
#include "gui/gallery/gallery.h"
#include "player/mpv_player_engine.h"
#include "player/preview_player.h"
#include "player/video_panel.h"

namespace korvel::test {

namespace {

std::unique_ptr<QWidget> PlayerWindow(const std::function<void()>& ready) {
  auto window = MakeDarkGalleryWindow();
  // Made first, so that it goes before the controls it works on.
  auto* player = new TPreviewPlayer(std::make_unique<MpvPlayerEngine>(MpvPlayerEngine::Options{.audioOutput = "null"}),
                                    window.get());

  TPreviewPlayerControls controls;
  controls.Container = new QScrollArea;
  controls.Container->setFrameShape(QFrame::NoFrame);
  controls.Container->setMinimumHeight(240);
  controls.VideoPanel = new TVideoPanel;
  controls.StateLabel = new QLabel;
  controls.PositionLabel = new QLabel;
  controls.SeekBar = new TQdTrackBar;
  controls.SeekBar->setPageStep(500);
  controls.FineSeekBar = new TQdTrackBar;
  controls.FineSeekBar->SetDrawTick(true);
  controls.FineSeekBar->SetTickCount(19);

  auto* layout = new QVBoxLayout(window.get());
  layout->addWidget(controls.Container, 1);
  auto* captions = new QHBoxLayout;
  captions->addWidget(controls.StateLabel, 1);
  captions->addWidget(controls.PositionLabel);
  layout->addLayout(captions);
  layout->addWidget(controls.SeekBar);
  auto* fineRow = new QHBoxLayout;
  fineRow->addWidget(new QLabel("- 10 sec"));
  fineRow->addWidget(controls.FineSeekBar, 1);
  fineRow->addWidget(new QLabel("+ 10 sec"));
  layout->addLayout(fineRow);
  window->resize(480, 420);

  player->SetControls(controls);
  player->InstallHooks();
  player->AutoPlay = false;
  player->ErrorBox = false;
  player->OnEnd = [](TPreviewPlayer& p) { p.Play(); };
  if (player->OpenFile(KORVEL_FIXTURE_DIR "/player_colours_bframes.mp4")) {
    player->SetPosition(1.6);
    player->MarkSelEnd();
    player->SetPosition(0.6);
    player->MarkSelStart();
    player->Play();
  }
  // The owner's timers: the position while playing, and the end check.
  auto* timer = new QTimer(window.get());
  QObject::connect(timer, &QTimer::timeout, window.get(), [player, panel = controls.VideoPanel, ready] {
    player->UpdatePosition();
    player->CheckPlayEnd();
    player->FitVideo();
    if (player->IsPlaying() && !panel->Picture().isNull() && player->GetPosition().value_or(0) > 0.9) ready();
  });
  timer->start(50);
  return window;
}

}  // namespace

KORVEL_GALLERY_WINDOW({"player", "the preview player playing a selection, with both seek bars", 3, PlayerWindow});

}  // namespace korvel::test
