#include "app/clip_link.h"

#include <QLabel>
#include <QTimer>
#include <memory>
#include <system_error>

#include "app/environment.h"
#include "app/wizards/qt_text.h"
#include "controls/wait_cursor.h"
#include "lang/lang.h"
#include "player/preview_player.h"
#include "project/clip_item.h"

namespace korvel {

namespace {

// How long the cover stays after the new file is up, so that its first picture is drawn.
constexpr int kCoverMs = 100;

// A black cover over the play area with a still picture of the control strip at its place.
QWidget* CoverPlayArea(QWidget& playArea, QWidget* strip) {
  QWidget* parent = playArea.parentWidget() ? playArea.parentWidget() : &playArea;
  auto* cover = new QWidget(parent);
  cover->setGeometry(playArea.parentWidget() ? playArea.geometry() : playArea.rect());
  QPalette palette = cover->palette();
  palette.setColor(QPalette::Window, Qt::black);
  cover->setPalette(palette);
  cover->setAutoFillBackground(true);
  if (strip) {
    auto* still = new QLabel(cover);
    still->setPixmap(strip->grab());
    still->setGeometry(QRect(strip->mapTo(parent, QPoint()) - cover->pos(), strip->size()));
  }
  cover->show();
  cover->raise();
  cover->repaint();
  return cover;
}

bool FileExists(const std::filesystem::path& file) {
  std::error_code error;
  return std::filesystem::exists(file, error);
}

}  // namespace

void LinkClipToPlayer(const TClipItem* item, const TClipLinkPorts& ports) {
  if (!item || !ports.Player) return;
  TPreviewPlayer& player = *ports.Player;
  // Copied: the clip may change while the file opens and the event loop turns.
  const std::filesystem::path file = item->FileName();
  const double start = item->StartTime() * 0.001;
  const double end = item->EndTime() * 0.001;

  QWidget* cover = nullptr;
  if (file != player.FileName()) {
    if (ports.PlayArea) cover = CoverPlayArea(*ports.PlayArea, ports.ControlStrip);
    player.CloseFile();
    const bool autoPlay = player.AutoPlay;
    player.AutoPlay = true;
    if (FileExists(file)) {
      ports.SelectFileInBrowser(file);
      {
        TWaitCursor wait;
        player.OpenFile(file);
      }
      ports.StartSeekBarFocus();
    }
    player.AutoPlay = autoPlay;
    if (!player.IsOpen() && !FileExists(file))
      SystemMessageBox(ApplicationTitle(), ToQt(LangStr("Korvel1", "FileNotExist") + "\n\n" + file.string()),
                       kMsgInformation);
  } else {
    ports.StartSeekBarFocus();
    ports.SelectFileInBrowser(player.FileName());
  }

  if (player.IsOpen()) {
    player.Pause();
    player.SetSelection(start, end);
    player.GoToSelStart();
  }
  if (cover) QTimer::singleShot(kCoverMs, cover, [cover] {
    if (QWidget* top = cover->window()) top->repaint();
    cover->deleteLater();
  });
}

}  // namespace korvel
