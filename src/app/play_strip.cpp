#include "app/play_strip.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QResizeEvent>
#include <QVBoxLayout>

#include "app/play_strip_pictures.h"
#include "controls/j_image_btn.h"
#include "controls/qd_track_bar.h"
#include "playback/seek_bar_values.h"
#include "playback/strip_layout.h"

namespace korvel {

namespace {

constexpr int kButtonSide = 26;
// Between the button group and the zoom buttons, and at the strip's right end.
constexpr int kZoomGap = 12;
// Ticks on the fine bar: one per second of its twenty.
constexpr int kFineBarTicks = 19;

QAbstractButton* MakeButton(TStripSymbol symbol, QWidget* parent) {
  auto* button = new TJImageBtn(parent);
  const TStripPictures pictures = StripPictures(symbol, kButtonSide, parent->devicePixelRatioF());
  button->SetPicDef(pictures.Def);
  button->SetPicOver(pictures.Over);
  button->SetPicDown(pictures.Down);
  button->SetPicDis(pictures.Dis);
  button->setFocusPolicy(Qt::NoFocus);
  button->setCursor(Qt::PointingHandCursor);
  return button;
}

QLabel* MakeCaption(QWidget* parent, Qt::Alignment alignment, const QString& text = {}) {
  auto* label = new QLabel(text, parent);
  label->setTextFormat(Qt::PlainText);
  label->setAlignment(alignment | Qt::AlignVCenter);
  return label;
}

TQdTrackBar* MakeSeekBar(QWidget* parent, uint32_t background) {
  auto* bar = new TQdTrackBar(parent);
  bar->setMaximum(kSeekBarMaximum);
  bar->setPageStep(500);
  QPalette palette = bar->palette();
  palette.setColor(QPalette::Window, BgrColor(background));
  bar->setPalette(palette);
  bar->setAutoFillBackground(true);
  return bar;
}

}  // namespace

// The button group centred in the row, the zoom buttons at its right end.
class TPlayStrip::ButtonRow : public QWidget {
public:
  explicit ButtonRow(QWidget* parent) : QWidget(parent), group_(new QWidget(this)) {
    auto* layout = new QHBoxLayout(group_);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
  }

  QAbstractButton* Add(TStripSymbol symbol) {
    QAbstractButton* button = MakeButton(symbol, group_);
    static_cast<QHBoxLayout*>(group_->layout())->addWidget(button);
    return button;
  }

  void AddGap() { static_cast<QHBoxLayout*>(group_->layout())->addSpacing(14); }

  // The zoom buttons sit apart from the group, at the row's right end while there is room.
  QAbstractButton* AddZoom(TStripSymbol symbol) {
    if (!zoom_) {
      zoom_ = new QWidget(this);
      auto* layout = new QHBoxLayout(zoom_);
      layout->setContentsMargins(0, 0, 0, 0);
      layout->setSpacing(2);
    }
    QAbstractButton* button = MakeButton(symbol, zoom_);
    static_cast<QHBoxLayout*>(zoom_->layout())->addWidget(button);
    Place();
    return button;
  }

  QSize sizeHint() const override {
    const QSize group = group_->sizeHint();
    return {group.width(), std::max(group.height(), zoom_ ? zoom_->sizeHint().height() : 0)};
  }
  QSize minimumSizeHint() const override { return {0, sizeHint().height()}; }

protected:
  void resizeEvent(QResizeEvent*) override { Place(); }

private:
  void Place() {
    const QSize group = group_->sizeHint();
    const QSize zoom = zoom_ ? zoom_->sizeHint() : QSize();
    const StripButtonPlaces places = PlaceStripButtons(width(), group.width(), zoom.width(), kZoomGap);
    group_->setGeometry(places.groupLeft, (height() - group.height()) / 2, group.width(), group.height());
    if (!zoom_) return;
    zoom_->setGeometry(places.zoomLeft, (height() - zoom.height()) / 2, zoom.width(), zoom.height());
    zoom_->setVisible(places.zoomVisible);
  }

  QWidget* group_;
  QWidget* zoom_ = nullptr;
};

TPlayStrip::TPlayStrip(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("PanPlay"));
  QPalette dark = palette();
  dark.setColor(QPalette::Window, BgrColor(0x202020));
  dark.setColor(QPalette::WindowText, Qt::white);
  setPalette(dark);
  setAutoFillBackground(true);

  PlayStateMsg = MakeCaption(this, Qt::AlignLeft);
  // A long file name must not widen the window.
  PlayStateMsg->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  CurrentTimeCap = MakeCaption(this, Qt::AlignRight);
  RealStartCap = MakeCaption(this, Qt::AlignRight);
  RealStartCap->setObjectName(QStringLiteral("RealStartCap"));
  ShowNoPosition();
  SeekTrack = MakeSeekBar(this, 0x222222);
  Seek2Track = MakeSeekBar(this, 0x2D2D2D);
  // The real start in the colour of the key-frame marks, which it speaks of.
  QPalette marks = RealStartCap->palette();
  marks.setColor(QPalette::WindowText, SeekTrack->ColorKeyFrame());
  RealStartCap->setPalette(marks);
  Seek2Track->SetDrawTick(true);
  Seek2Track->SetTickCount(kFineBarTicks);
  SeekTrack->setObjectName(QStringLiteral("SeekTrack"));
  Seek2Track->setObjectName(QStringLiteral("Seek2Track"));

  buttonRow_ = new ButtonRow(this);
  BtnHideFile = buttonRow_->Add(TStripSymbol::HideFile);
  BtnHideClips = buttonRow_->Add(TStripSymbol::HideClips);
  buttonRow_->AddGap();
  BtnMediaClose = buttonRow_->Add(TStripSymbol::MediaClose);
  BtnPause = buttonRow_->Add(TStripSymbol::Pause);
  BtnPlay = buttonRow_->Add(TStripSymbol::Play);
  BtnFullScreen = buttonRow_->Add(TStripSymbol::FullScreen);
  buttonRow_->AddGap();
  BtnHome = buttonRow_->Add(TStripSymbol::Home);
  BtnPrior = buttonRow_->Add(TStripSymbol::Prior);
  BtnNext = buttonRow_->Add(TStripSymbol::Next);
  BtnEnd = buttonRow_->Add(TStripSymbol::End);
  buttonRow_->AddGap();
  BtnUnlinkClip = buttonRow_->Add(TStripSymbol::UnlinkClip);
  BtnSelStart = buttonRow_->Add(TStripSymbol::SelStart);
  BtnGoToSelStart = buttonRow_->Add(TStripSymbol::GoToSelStart);
  BtnGoToSelEnd = buttonRow_->Add(TStripSymbol::GoToSelEnd);
  BtnSelEnd = buttonRow_->Add(TStripSymbol::SelEnd);
  buttonRow_->AddGap();
  BtnAddClip = buttonRow_->Add(TStripSymbol::AddClip);
  BtnCopyClip = buttonRow_->Add(TStripSymbol::CopyClip);
  buttonRow_->AddGap();
  BtnProduceMda2 = buttonRow_->Add(TStripSymbol::Produce);
  BtnZoomIn = buttonRow_->AddZoom(TStripSymbol::ZoomIn);
  BtnZoomFit = buttonRow_->AddZoom(TStripSymbol::ZoomFit);
  BtnZoomOut = buttonRow_->AddZoom(TStripSymbol::ZoomOut);
  // Nothing is open at first: the commands that need a file wait for the player's first state.
  for (QAbstractButton* button : {BtnMediaClose, BtnPause, BtnPlay, BtnFullScreen, BtnHome, BtnPrior, BtnNext, BtnEnd,
                                  BtnUnlinkClip, BtnSelStart, BtnGoToSelStart, BtnGoToSelEnd, BtnSelEnd, BtnAddClip,
                                  BtnCopyClip, BtnProduceMda2}) {
    button->setEnabled(false);
  }

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 4, 8, 4);
  layout->setSpacing(2);
  auto* captions = new QHBoxLayout;
  captions->addWidget(PlayStateMsg, 1);
  captions->addWidget(RealStartCap);
  captions->addSpacing(12);
  captions->addWidget(CurrentTimeCap);
  layout->addLayout(captions);
  layout->addWidget(SeekTrack);
  auto* fineRow = new QHBoxLayout;
  fineRow->addWidget(MakeCaption(this, Qt::AlignLeft, QStringLiteral("- 10 sec")));
  fineRow->addWidget(Seek2Track, 1);
  fineRow->addWidget(MakeCaption(this, Qt::AlignRight, QStringLiteral("+ 10 sec")));
  layout->addLayout(fineRow);
  layout->addWidget(buttonRow_);
}

void TPlayStrip::BindButton(QAbstractButton& button, QAction& action, bool onPress) {
  const auto follow = [&button, &action] {
    button.setEnabled(action.isEnabled());
    button.setToolTip(action.toolTip());
  };
  follow();
  QObject::connect(&action, &QAction::changed, &button, follow);
  if (onPress) {
    QObject::connect(&button, &QAbstractButton::pressed, &action, &QAction::trigger);
  } else {
    QObject::connect(&button, &QAbstractButton::clicked, &action, &QAction::trigger);
  }
}

void TPlayStrip::ShowNoPosition() { CurrentTimeCap->setText(QStringLiteral("00:00:00.00/00:00:00.00")); }

}  // namespace korvel
