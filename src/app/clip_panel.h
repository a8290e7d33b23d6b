#pragma once
// The clip panel at the bottom of the main window: a strip that scrolls sideways, with the time
// ruler on top and below it one tile per clip, as wide as the clip is long on the ruler. Here
// the user selects clips, drags them into another order or onto the video to link them, and
// zooms the ruler. The panel mirrors the clip list; every decision lives in the list.
#include <QFrame>
#include <QPoint>
#include <functional>
#include <optional>
#include <unordered_map>

#include "base/dialog_placement.h"
#include "project/clip_list_view.h"

class QDrag;
class QMenu;
class QMimeData;
class QScrollArea;
class QToolButton;

namespace korvel {

class TClipItem;
class TClipList;
class TMovieClip;
class TMovieTimeBar;

class TClipPanel : public QFrame, private IClipListView {
  Q_OBJECT

public:
  static constexpr int kDefaultHeight = 120;
  static constexpr int kStripHeight = 96;
  static constexpr int kTimeBarHeight = 30;
  // A press and a move further than this in either direction start a drag.
  static constexpr int kDragThreshold = 5;
  // The widest part of a tile the drag shows.
  static constexpr int kMaxDragImageWidth = 250;

  // Attaches itself to the list, which must outlive the panel or be let go with Detach first.
  explicit TClipPanel(TClipList& list, QWidget* parent = nullptr);
  ~TClipPanel() override;

  // Lets the list go for good: its tiles go, and the panel no longer touches the list.
  void Detach();

  QScrollArea* ScrBoxClips() const { return scrBoxClips_; }
  QWidget* ClipListMain() const { return clipListMain_; }
  TMovieTimeBar* MovieTimeBar() const { return movieTimeBar_; }
  QFrame* ClipListBar() const { return clipListBar_; }
  QToolButton* BtnClipListClose() const { return btnClipListClose_; }
  // Null for an item without a tile.
  TMovieClip* TileOf(const TClipItem* item) const;

  // The clip menu of the tiles and the tile row, and the zoom menu of the ruler.
  void SetTileMenu(QMenu* menu);
  void SetZoomMenu(QMenu* menu);

  // The close button: the window hides the panel.
  std::function<void()> OnCloseClicked;
  // Brings the panel into sight when the window has it hidden.
  std::function<void()> ShowClipPanel;
  // Where the delete and clear questions stand; at the pointer unless the window says otherwise.
  std::function<std::optional<TDlgPlacement>()> QuestionPlace;
  // Runs a drag to its end. Tests put their own drop in its place.
  std::function<void(QDrag&)> RunDrag;

  // Makes the video area (and each part of it that drops land on) a drop target: a clip
  // dropped there is linked to the player. Drops of other kinds are left to the area's other
  // handlers.
  void AcceptDropsOn(QWidget* videoArea);

  // The clip commands; each does nothing when what it needs is missing.
  void EditSelectedClip();
  void CopySelectedClip();
  void DeleteSelectedClip();
  void ClearClipList();
  void ClipProperties();
  void ZoomIn();
  void ZoomOut();
  void ZoomFit();

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

private:
  struct TileEntry {
    TMovieClip* Tile = nullptr;
    bool ShowsFile = false;  // the thumbnail, not the missing-file picture
  };
  enum class TDropTarget { None, Row, Video };

  // IClipListView
  void ItemInserted(const TClipItem& item, int32_t index) override;
  void ItemRemoving(const TClipItem& item) override;
  void ItemMoved(const TClipItem& item, int32_t newIndex) override;
  void ItemTextsChanged(const TClipItem& item) override;
  void ItemFlagsChanged(const TClipItem& item) override;
  void ItemPictureChanged(const TClipItem& item) override;
  void LayoutChanged() override;
  void ScrollToItem(const TClipItem& item) override;
  bool HasKeyboardFocus() const override;

  TClipItem* ItemOf(const QObject* tile) const;
  void ApplyTexts(const TClipItem& item, TMovieClip& tile);
  void ApplyPicture(const TClipItem& item, TileEntry& entry);
  void ApplyColour(const TClipItem& item, TMovieClip& tile);
  void AutoZoom();
  void ApplyGeometry();
  int ClientWidth() const;

  bool TileEvent(TClipItem& item, TMovieClip& tile, QEvent* event);
  void SelectionClick(TClipItem& item, Qt::KeyboardModifiers modifiers);
  void StartDrag(TClipItem& item, TMovieClip& tile);
  bool RowDropEvent(QEvent* event);
  bool VideoDropEvent(QEvent* event);
  bool IsClipDrag(const QMimeData* mime) const;
  void FocusClipView();
  // Shows the panel and brings what is pending on screen without taking the user's input:
  // a second command must not run while this one has not yet asked its question.
  void PrepareQuestion();

  TClipList& list_;
  bool attached_ = true;
  QScrollArea* scrBoxClips_;
  QWidget* clipListMain_;
  TMovieTimeBar* movieTimeBar_;
  QFrame* clipListBar_;
  QToolButton* btnClipListClose_;
  QMenu* tileMenu_ = nullptr;
  std::unordered_map<const TClipItem*, TileEntry> tiles_;
  bool autoZooming_ = false;

  // Drag state: the tile pressed and where, the clip dragged, its hot spot and where it fell.
  TClipItem* pressed_ = nullptr;
  QPoint pressPos_;
  TClipItem* dragged_ = nullptr;
  QPoint hotSpot_;
  TDropTarget dropTarget_ = TDropTarget::None;
  int dropX_ = 0;
};

}  // namespace korvel
