// The main window's clip panel: made in the window's bottom place, given the clip and zoom
// menus, the selected-clip and zoom commands, drops on the video, and the linking of a clip.
#include <QLayout>
#include <QMenu>
#include <QScrollArea>

#include "app/clip_link.h"
#include "app/clip_panel.h"
#include "app/korvel_win.h"
#include "app/play_controls.h"
#include "app/play_strip.h"
#include "project/clip_list.h"

namespace korvel {

void TKorvelWin::BuildClipPanel() {
  using enum TKorvelCommand;
  clipPanel_ = new TClipPanel(*clipList_, clipPanelPlace_);
  clipPanelPlace_->layout()->addWidget(clipPanel_);
  clipPanelPlace_->setFixedHeight(TClipPanel::kDefaultHeight);

  const auto menu = [this](std::initializer_list<std::optional<TKorvelCommand>> items) {
    return FillCommandMenu(new QMenu(this), items);
  };
  clipPanel_->SetTileMenu(menu({UnlinkClip, std::nullopt, EditSelectedClip, CopySelectedClip, DeleteSelectedClip,
                                std::nullopt, ClearClipList, std::nullopt, ClipProperties, std::nullopt, NewProject}));
  clipPanel_->SetZoomMenu(menu({ZoomIn, ZoomFit, ZoomOut}));

  OnCommand(EditSelectedClip, [this] { clipPanel_->EditSelectedClip(); });
  OnCommand(CopySelectedClip, [this] { clipPanel_->CopySelectedClip(); });
  OnCommand(DeleteSelectedClip, [this] { clipPanel_->DeleteSelectedClip(); });
  OnCommand(ClearClipList, [this] { clipPanel_->ClearClipList(); });
  OnCommand(ClipProperties, [this] { clipPanel_->ClipProperties(); });
  OnCommand(ZoomIn, [this] { clipPanel_->ZoomIn(); });
  OnCommand(ZoomOut, [this] { clipPanel_->ZoomOut(); });
  OnCommand(ZoomFit, [this] { clipPanel_->ZoomFit(); });
  TPlayStrip::BindButton(*playStrip_->BtnZoomIn, *actions_.Get(ZoomIn));
  TPlayStrip::BindButton(*playStrip_->BtnZoomFit, *actions_.Get(ZoomFit));
  TPlayStrip::BindButton(*playStrip_->BtnZoomOut, *actions_.Get(ZoomOut));

  clipPanel_->ShowClipPanel = [this] { ShowClipPanel(true); };
  clipPanel_->OnCloseClicked = [this] { ShowClipPanel(false); };
  clipPanel_->QuestionPlace = [this] { return PlaceQuestion(TQuestionPlace::AtPointer); };
  clipPanel_->AcceptDropsOn(videoArea_);
  clipPanel_->AcceptDropsOn(videoArea_->viewport());
}

void TKorvelWin::LinkClip(TClipItem* item) {
  TClipLinkPorts ports;
  ports.Player = player_.get();
  ports.PlayArea = playArea_;
  ports.ControlStrip = playStripPlace_;
  ports.StartSeekBarFocus = [this] { playControls_->StartSeekBarFocus(); };
  LinkClipToPlayer(item, ports);
}

}  // namespace korvel
