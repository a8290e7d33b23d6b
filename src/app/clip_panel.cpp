#include "app/clip_panel.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QCursor>
#include <QDrag>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QToolButton>
#include <QWheelEvent>
#include <cstdlib>

#include "app/clip_picture.h"
#include "app/clip_properties_win.h"
#include "app/drag_mime.h"
#include "app/environment.h"
#include "app/wizards/qt_text.h"
#include "controls/drag_image.h"
#include "controls/movie_clip.h"
#include "controls/movie_time_bar.h"
#include "controls/my_msg_box_win.h"
#include "controls/plain_tool_tip.h"
#include "controls/qd_track_bar.h"
#include "project/clip_command_texts.h"
#include "project/clip_list.h"
#include "project/clip_tile_look.h"
#include "project/clip_zoom.h"

namespace korvel {

namespace {

constexpr int kCloseButtonSize = 16;
// A new tile out of sight by less than this still counts as out of sight.
constexpr int kScrollToMargin = 30;

bool IsDragEvent(const QEvent& event) {
  return event.type() == QEvent::DragEnter || event.type() == QEvent::DragMove || event.type() == QEvent::Drop;
}

// Tells a drag passing over a target whether it may be let go there.
bool AnswerDragOver(QDropEvent& drag, bool accept) {
  if (accept)
    drag.acceptProposedAction();
  else
    drag.ignore();
  return true;
}

void SetBackground(QWidget& widget, const QColor& colour) {
  QPalette palette = widget.palette();
  palette.setColor(QPalette::Window, colour);
  widget.setPalette(palette);
  widget.setAutoFillBackground(true);
}

}  // namespace

TClipPanel::TClipPanel(TClipList& list, QWidget* parent)
    : QFrame(parent),
      list_(list),
      scrBoxClips_(new QScrollArea(this)),
      clipListMain_(new QWidget),
      movieTimeBar_(new TMovieTimeBar(clipListMain_)),
      clipListBar_(new QFrame(clipListMain_)),
      btnClipListClose_(new QToolButton(this)) {
  setObjectName("PanScrBoxClipM");
  scrBoxClips_->setObjectName("ScrBoxClips");
  clipListMain_->setObjectName("ClipListMain");
  movieTimeBar_->setObjectName("MovieTimeBar");
  clipListBar_->setObjectName("ClipListBar");
  btnClipListClose_->setObjectName("BtnClipListClose");
  resize(width(), kDefaultHeight);

  scrBoxClips_->setFocusPolicy(Qt::StrongFocus);
  scrBoxClips_->setFrameShape(QFrame::NoFrame);
  scrBoxClips_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  scrBoxClips_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  scrBoxClips_->setWidgetResizable(false);
  scrBoxClips_->setWidget(clipListMain_);
  clipListMain_->resize(kStripHeight, kStripHeight);
  SetBackground(*clipListMain_, BgrColor(0x202020));
  SetBackground(*scrBoxClips_->viewport(), BgrColor(0x202020));

  movieTimeBar_->setGeometry(0, 0, kStripHeight, kTimeBarHeight);
  SetBackground(*movieTimeBar_, BgrColor(0x404040));
  movieTimeBar_->SetColorTick(BgrColor(0xB0B0B0));
  movieTimeBar_->SetColorTimeText(BgrColor(0xE0E0E0));
  movieTimeBar_->SetTickTimeSec(list_.SecondsPerMajor());
  movieTimeBar_->setContextMenuPolicy(Qt::NoContextMenu);

  clipListBar_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  clipListBar_->setGeometry(0, kTimeBarHeight, kStripHeight, kStripHeight - kTimeBarHeight);
  clipListBar_->setAcceptDrops(true);
  clipListBar_->setContextMenuPolicy(Qt::NoContextMenu);

  btnClipListClose_->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
  btnClipListClose_->setAutoRaise(true);
  btnClipListClose_->setFocusPolicy(Qt::NoFocus);
  btnClipListClose_->resize(kCloseButtonSize, kCloseButtonSize);
  connect(btnClipListClose_, &QToolButton::clicked, this, [this] {
    if (OnCloseClicked) OnCloseClicked();
  });

  RunDrag = [](QDrag& drag) { drag.exec(Qt::MoveAction); };
  QuestionPlace = [] {
    const QPoint cursor = QCursor::pos();
    return std::optional<TDlgPlacement>(PlaceAtCursor(cursor.x(), cursor.y()));
  };

  scrBoxClips_->installEventFilter(this);
  scrBoxClips_->viewport()->installEventFilter(this);
  movieTimeBar_->installEventFilter(this);
  clipListBar_->installEventFilter(this);
  list_.Attach(this);
}

TClipPanel::~TClipPanel() { Detach(); }

void TClipPanel::Detach() {
  if (!attached_) return;
  attached_ = false;
  if (list_.View() == this) list_.Attach(nullptr);
  pressed_ = dragged_ = nullptr;
  for (const auto& [item, entry] : tiles_) {
    entry.Tile->removeEventFilter(this);
    entry.Tile->deleteLater();
  }
  tiles_.clear();
}

TMovieClip* TClipPanel::TileOf(const TClipItem* item) const {
  const auto found = tiles_.find(item);
  return found == tiles_.end() ? nullptr : found->second.Tile;
}

TClipItem* TClipPanel::ItemOf(const QObject* tile) const {
  for (const auto& [item, entry] : tiles_)
    if (entry.Tile == tile) return const_cast<TClipItem*>(item);
  return nullptr;
}

void TClipPanel::SetTileMenu(QMenu* menu) {
  tileMenu_ = menu;
  const Qt::ContextMenuPolicy policy = menu ? Qt::DefaultContextMenu : Qt::NoContextMenu;
  clipListBar_->setContextMenuPolicy(policy);
  for (const auto& [item, entry] : tiles_) entry.Tile->setContextMenuPolicy(policy);
}

void TClipPanel::SetZoomMenu(QMenu* menu) {
  movieTimeBar_->setContextMenuPolicy(menu ? Qt::CustomContextMenu : Qt::NoContextMenu);
  disconnect(movieTimeBar_, &QWidget::customContextMenuRequested, nullptr, nullptr);
  if (!menu) return;
  connect(movieTimeBar_, &QWidget::customContextMenuRequested, menu,
          [this, menu](const QPoint& pos) { menu->popup(movieTimeBar_->mapToGlobal(pos)); });
}

void TClipPanel::AcceptDropsOn(QWidget* videoArea) {
  videoArea->setAcceptDrops(true);
  videoArea->installEventFilter(this);
  videoArea->setProperty("korvelClipDropOnVideo", true);
}

// ---- the list's notices ----

void TClipPanel::ItemInserted(const TClipItem& item, int32_t) {
  auto* tile = new TMovieClip(clipListBar_);
  tile->hide();
  // Raised, so that tiles of one colour side by side still read as separate clips.
  tile->setFrameStyle(QFrame::Panel | QFrame::Raised);
  tile->SetColorText1(BgrColor(0xEEEEEE));
  tile->SetColorText2(BgrColor(0xAABBBB));
  tile->SetColorSelected(BgrColor(0xAAAAAA));
  tile->setFocusPolicy(Qt::NoFocus);
  // Moves without a button must arrive too: they end a pending drag whose release was missed.
  tile->setMouseTracking(true);
  tile->setContextMenuPolicy(tileMenu_ ? Qt::DefaultContextMenu : Qt::NoContextMenu);
  tile->installEventFilter(this);
  TileEntry& entry = tiles_[&item];
  entry.Tile = tile;
  ApplyTexts(item, *tile);
  ApplyPicture(item, entry);
  ApplyColour(item, *tile);
  // Placed by the layout that follows every insertion; shown where it belongs.
  const TileSpan span = item.Tile();
  const QRect inside = clipListBar_->contentsRect();
  tile->setGeometry(inside.left() + span.Left, inside.top(), std::max(span.Width, kMinTileWidth), inside.height());
  tile->show();
}

void TClipPanel::ItemRemoving(const TClipItem& item) {
  const auto found = tiles_.find(&item);
  if (found == tiles_.end()) return;
  if (pressed_ == &item) pressed_ = nullptr;
  if (dragged_ == &item) dragged_ = nullptr;
  TMovieClip* tile = found->second.Tile;
  tiles_.erase(found);
  // Later: the removal may come from inside one of the tile's own events.
  tile->hide();
  tile->removeEventFilter(this);
  tile->deleteLater();
}

void TClipPanel::ItemMoved(const TClipItem&, int32_t) {
  // The tiles stand where the list lays them out, which it does after every move.
}

void TClipPanel::ItemTextsChanged(const TClipItem& item) {
  if (TMovieClip* tile = TileOf(&item)) ApplyTexts(item, *tile);
}

void TClipPanel::ItemFlagsChanged(const TClipItem& item) {
  const auto found = tiles_.find(&item);
  if (found == tiles_.end()) return;
  TMovieClip& tile = *found->second.Tile;
  tile.SetSelected(item.Selected());
  tile.SetParentFocused(item.Focused());
  ApplyColour(item, tile);
  if (found->second.ShowsFile != item.FileExists()) ApplyPicture(item, found->second);
}

void TClipPanel::ItemPictureChanged(const TClipItem& item) {
  const auto found = tiles_.find(&item);
  if (found != tiles_.end()) ApplyPicture(item, found->second);
}

void TClipPanel::LayoutChanged() {
  AutoZoom();
  ApplyGeometry();
}

void TClipPanel::ScrollToItem(const TClipItem& item) {
  if (list_.FitMode() || !TileOf(&item)) return;
  if (item.Tile().Left + kScrollToMargin <= ClientWidth()) return;
  QScrollBar* bar = scrBoxClips_->horizontalScrollBar();
  // The range follows the strip's new width only once the scroll area hears of it.
  bar->setMaximum(std::max(0, clipListMain_->width() - ClientWidth()));
  bar->setValue(bar->maximum());
}

bool TClipPanel::HasKeyboardFocus() const { return scrBoxClips_->hasFocus(); }

void TClipPanel::ApplyTexts(const TClipItem& item, TMovieClip& tile) {
  const TClipTileTexts texts = ClipTileTexts(item);
  tile.SetText1(ToQt(texts.Text1));
  tile.SetText2(ToQt(texts.Text2));
  tile.setToolTip(PlainToolTip(ToQt(texts.Hint)));
}

void TClipPanel::ApplyPicture(const TClipItem& item, TileEntry& entry) {
  const TClipPicture picture = ClipPicture(item);
  entry.Tile->SetPicture(picture.Picture);
  entry.Tile->SetPicStretch(picture.Stretch);
  entry.ShowsFile = item.FileExists();
}

void TClipPanel::ApplyColour(const TClipItem& item, TMovieClip& tile) {
  tile.SetColor(BgrColor(TileColour(item, &item == dragged_)));
}

// ---- zoom and layout ----

int TClipPanel::ClientWidth() const { return scrBoxClips_->viewport()->width(); }

void TClipPanel::AutoZoom() {
  // Choosing a scale lays the list out again, which calls back here.
  if (autoZooming_) return;
  autoZooming_ = true;
  list_.AutoZoom(ClientWidth(), scrBoxClips_->width());
  autoZooming_ = false;
}

void TClipPanel::ApplyGeometry() {
  movieTimeBar_->SetTickTimeSec(list_.SecondsPerMajor());
  const int rowWidth = list_.RowWidth();
  const int stripWidth = StripWidth(rowWidth, ClientWidth());
  clipListMain_->resize(stripWidth, kStripHeight);
  movieTimeBar_->setGeometry(0, 0, stripWidth, kTimeBarHeight);
  clipListBar_->setGeometry(0, kTimeBarHeight, stripWidth, kStripHeight - kTimeBarHeight);
  const QRect inside = clipListBar_->contentsRect();
  for (const auto& [item, entry] : tiles_) {
    const TileSpan span = item->Tile();
    entry.Tile->setGeometry(inside.left() + span.Left, inside.top(), span.Width, inside.height());
  }
  if (rowWidth < ClientWidth()) scrBoxClips_->horizontalScrollBar()->setValue(0);
}

void TClipPanel::ZoomIn() { list_.ZoomIn(); }
void TClipPanel::ZoomOut() { list_.ZoomOut(); }

void TClipPanel::ZoomFit() {
  autoZooming_ = true;
  list_.ZoomFit(ClientWidth(), scrBoxClips_->width());
  autoZooming_ = false;
  ApplyGeometry();
}

void TClipPanel::resizeEvent(QResizeEvent* event) {
  QFrame::resizeEvent(event);
  scrBoxClips_->setGeometry(rect());
  btnClipListClose_->move(width() - kCloseButtonSize - 2, 2);
  btnClipListClose_->raise();
}

// ---- commands ----

void TClipPanel::FocusClipView() {
  if (scrBoxClips_->isVisible()) scrBoxClips_->setFocus(Qt::OtherFocusReason);
}

void TClipPanel::PrepareQuestion() {
  if (ShowClipPanel) ShowClipPanel();
  FocusClipView();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
  window()->repaint();
}

void TClipPanel::EditSelectedClip() {
  TClipItem* anchor = list_.Anchor();
  if (!anchor) return;
  list_.SetCurrent(nullptr);
  list_.SetCurrent(anchor);
}

void TClipPanel::CopySelectedClip() {
  if (!list_.Anchor()) return;
  list_.DuplicateSelected();
  if (ShowClipPanel) ShowClipPanel();
}

void TClipPanel::DeleteSelectedClip() {
  if (!list_.Anchor()) return;
  PrepareQuestion();
  const TClipItem* anchor = list_.Anchor();
  if (!anchor) return;
  const int answer = ShowMsgBox(window(), ApplicationTitle(), ToQt(DeleteClipsQuestion(*anchor, list_.SelectedCount())),
                                QuestionPlace(), kMsgBoxQuestion, ToQt(NoAnswer()), ToQt(YesAnswer()));
  if (answer == kMsgBoxBtn1) list_.DeleteSelected();
}

void TClipPanel::ClearClipList() {
  if (list_.Count() == 0) return;
  PrepareQuestion();
  const int answer = ShowMsgBox(window(), ApplicationTitle(), ToQt(ClearClipListQuestion()), QuestionPlace(),
                                kMsgBoxQuestion, ToQt(NoAnswer()), ToQt(YesAnswer()));
  if (answer == kMsgBoxBtn1) list_.Clear();
}

void TClipPanel::ClipProperties() {
  if (!list_.Anchor()) return;
  PrepareQuestion();
  TClipItem* anchor = list_.Anchor();
  if (!anchor) return;
  if (list_.SelectedCount() > 1) list_.SetAnchor(anchor);
  TClipPropertiesWin properties(*anchor, window());
  properties.exec();
}

// ---- mouse, focus and drops ----

bool TClipPanel::eventFilter(QObject* watched, QEvent* event) {
  if (!attached_) return QFrame::eventFilter(watched, event);
  if (TClipItem* item = ItemOf(watched)) return TileEvent(*item, *static_cast<TMovieClip*>(watched), event);
  if (watched == clipListBar_ && RowDropEvent(event)) return true;
  if (watched->property("korvelClipDropOnVideo").toBool()) return VideoDropEvent(event);

  switch (event->type()) {
    case QEvent::MouseButtonPress:
      if (watched == scrBoxClips_ || watched == scrBoxClips_->viewport() || watched == movieTimeBar_ ||
          watched == clipListBar_)
        FocusClipView();
      break;
    case QEvent::ContextMenu:
      if (watched == clipListBar_ && tileMenu_) {
        tileMenu_->popup(static_cast<QContextMenuEvent*>(event)->globalPos());
        return true;
      }
      break;
    case QEvent::FocusIn:
    case QEvent::FocusOut:
      if (watched == scrBoxClips_) list_.SetFocusedAll(event->type() == QEvent::FocusIn);
      break;
    case QEvent::Wheel:
      if (watched == scrBoxClips_->viewport()) {
        QScrollBar* bar = scrBoxClips_->horizontalScrollBar();
        bar->setValue(bar->value() + static_cast<QWheelEvent*>(event)->angleDelta().y() / 2);
        return true;
      }
      break;
    case QEvent::Resize:
      // The view's client width is known once its viewport has its new size.
      if (watched == scrBoxClips_->viewport()) LayoutChanged();
      break;
    default:
      break;
  }
  return QFrame::eventFilter(watched, event);
}

bool TClipPanel::TileEvent(TClipItem& item, TMovieClip& tile, QEvent* event) {
  switch (event->type()) {
    case QEvent::MouseButtonPress: {
      const auto* mouse = static_cast<QMouseEvent*>(event);
      if (mouse->button() != Qt::LeftButton) return false;
      FocusClipView();
      SelectionClick(item, mouse->modifiers());
      pressed_ = &item;
      pressPos_ = mouse->position().toPoint();
      return true;
    }
    case QEvent::MouseMove: {
      const auto* mouse = static_cast<QMouseEvent*>(event);
      if (pressed_ != &item) return false;
      if (!(mouse->buttons() & Qt::LeftButton)) {
        pressed_ = nullptr;
        return false;
      }
      const QPoint moved = mouse->position().toPoint() - pressPos_;
      if (std::abs(moved.x()) <= kDragThreshold && std::abs(moved.y()) <= kDragThreshold) return true;
      pressed_ = nullptr;
      StartDrag(item, tile);
      return true;
    }
    case QEvent::MouseButtonRelease:
      pressed_ = nullptr;
      return false;
    case QEvent::MouseButtonDblClick:
      list_.SetCurrent(nullptr);
      list_.SetCurrent(&item);
      return true;
    case QEvent::ContextMenu:
      if (!tileMenu_) return false;
      tileMenu_->popup(static_cast<QContextMenuEvent*>(event)->globalPos());
      return true;
    default:
      return false;
  }
}

void TClipPanel::SelectionClick(TClipItem& item, Qt::KeyboardModifiers modifiers) {
  if (modifiers & Qt::ControlModifier) {
    item.SetSelected(!item.Selected());
    if (!item.Selected() && list_.Anchor() == &item)
      list_.SetAnchor(nullptr);
    else if (item.Selected() && !list_.Anchor())
      list_.SetAnchor(&item);
    return;
  }
  if (modifiers & Qt::ShiftModifier) {
    list_.SelectRange(&item);
    return;
  }
  item.SetSelected(true);
  list_.SetAnchor(&item);
}

void TClipPanel::StartDrag(TClipItem& item, TMovieClip& tile) {
  const int w = std::min(tile.width(), kMaxDragImageWidth);
  const int h = tile.height();
  TImageDragObjEx image;
  image.HideCursorWhileAccepted = true;
  const bool made = image.MakeDragImage(&tile, w, h, 0, 0, std::min(pressPos_.x(), w / 2), std::min(pressPos_.y(), h / 2));
  hotSpot_ = made ? image.HotSpot() : QPoint();

  dragged_ = &item;
  dropTarget_ = TDropTarget::None;
  ApplyColour(item, tile);
  tile.repaint();

  // The panel, not the tile, owns the drag: the tile may go while the drag runs.
  auto* mime = new QMimeData;
  mime->setData(kClipTileMimeType, QByteArray());
  QDrag drag(this);
  drag.setMimeData(mime);
  if (made) image.ApplyTo(drag);
  RunDrag(drag);

  TClipItem* dropped = dragged_;
  dragged_ = nullptr;
  if (!dropped) return;  // removed while it was dragged
  if (TMovieClip* still = TileOf(dropped)) ApplyColour(*dropped, *still);
  if (dropTarget_ == TDropTarget::Row)
    list_.MoveTo(dropped, dropX_ - hotSpot_.x());
  else if (dropTarget_ == TDropTarget::Video)
    list_.SetCurrent(dropped);
  dropTarget_ = TDropTarget::None;
}

bool TClipPanel::IsClipDrag(const QMimeData* mime) const {
  return dragged_ && mime && mime->hasFormat(kClipTileMimeType);
}

bool TClipPanel::RowDropEvent(QEvent* event) {
  if (!IsDragEvent(*event)) return false;
  auto* drop = static_cast<QDropEvent*>(event);
  const bool accepted = IsClipDrag(drop->mimeData());
  if (event->type() != QEvent::Drop) return AnswerDragOver(*drop, accepted);
  if (!accepted) return false;
  dropTarget_ = TDropTarget::Row;
  dropX_ = drop->position().toPoint().x() - clipListBar_->contentsRect().left();
  drop->acceptProposedAction();
  return true;
}

bool TClipPanel::VideoDropEvent(QEvent* event) {
  if (!IsDragEvent(*event)) return false;
  auto* drop = static_cast<QDropEvent*>(event);
  if (!IsClipDrag(drop->mimeData())) return false;
  if (event->type() != QEvent::Drop) return AnswerDragOver(*drop, true);
  dropTarget_ = TDropTarget::Video;
  drop->acceptProposedAction();
  return true;
}

}  // namespace korvel
