// The clip panel in the gallery of scripts/screenshot: tiles of several lengths on the ruler,
// one linked to the player, two selected, one whose file has gone.
#include <QScrollArea>
#include <QTemporaryDir>
#include <QVBoxLayout>

#include "app/clip_panel.h"
#include "gui/app/clip_samples.h"
#include "gui/gallery/gallery.h"
#include "project/clip_list.h"

namespace korvel::test {

namespace {

// Owns what the panel shows, so that it lives as long as the window.
class ClipPanelWindow : public QWidget {
public:
  ClipPanelWindow() {
    list_.Analyzer = [](const std::filesystem::path&, QdMediaInfo&) { return false; };
    const std::filesystem::path dir(folder_.path().toStdString());
    struct Sample {
      const char* name;
      int32_t start;
      int32_t end;
      QColor colour;
    };
    const Sample samples[] = {{"Beach walk.mp4", 12000, 95000, QColor(230, 170, 60)},
                              {"Harbour at night.mp4", 0, 41000, QColor(40, 80, 200)},
                              {"Harbour at night.mp4", 183000, 240500, QColor(60, 110, 220)},
                              {"Market <Saturday>.mp4", 5000, 31000, QColor(200, 60, 60)},
                              {"Gone.mp4", 0, 52000, Qt::gray},
                              {"Sunset & birds.mp4", 61000, 148000, QColor(240, 110, 40)}};
    for (const Sample& sample : samples)
      list_.Add(SampleClip(dir / sample.name, sample.start, sample.end, sample.colour));
    std::filesystem::remove(dir / "Gone.mp4");
    list_.RefreshRefInfo();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    panel_ = new TClipPanel(list_, this);
    panel_->setFixedHeight(TClipPanel::kDefaultHeight);
    layout->addWidget(panel_);
    resize(900, TClipPanel::kDefaultHeight);
  }

  void ShowState() {
    panel_->ScrBoxClips()->setFocus();
    list_.SetCurrent(list_.Get(1));
    list_.SetAnchor(list_.Get(2));
    list_.SelectRange(list_.Get(3));
  }

private:
  QTemporaryDir folder_;
  TClipList list_;
  TClipPanel* panel_ = nullptr;
};

std::unique_ptr<QWidget> MakeClipPanelWindow(const std::function<void()>& ready) {
  auto window = std::make_unique<ClipPanelWindow>();
  window->ShowState();
  ready();
  return window;
}

KORVEL_GALLERY_WINDOW({"clip-panel", "the clip panel: tiles on the time ruler, linked, selected and missing clips", 15,
                       MakeClipPanelWindow});

}  // namespace

}  // namespace korvel::test
