#include "app/korvel_actions.h"

#include <QAction>
#include <QActionGroup>
#include <QKeySequence>
#include <QList>
#include <QWidget>

namespace korvel {

namespace {

struct TShortcutRow {
  TKorvelCommand Command;
  QList<QKeySequence> Keys;  // the first is the one menus show
  TShortcutScope Scope;
};

const std::vector<TShortcutRow>& ShortcutTable() {
  using enum TKorvelCommand;
  using enum TShortcutScope;
  static const std::vector<TShortcutRow> table = {
      {NewProject, {QKeySequence(Qt::CTRL | Qt::Key_N)}, Window},
      {OpenProject, {QKeySequence(Qt::CTRL | Qt::Key_O)}, Window},
      {SaveProject, {QKeySequence(Qt::CTRL | Qt::Key_S)}, Window},
      {SaveProjectAs, {QKeySequence(Qt::SHIFT | Qt::CTRL | Qt::Key_S)}, Window},
      {Produce, {QKeySequence(Qt::CTRL | Qt::Key_P)}, Window},
      {FileList, {QKeySequence(Qt::CTRL | Qt::Key_F)}, Window},
      {ClipList, {QKeySequence(Qt::CTRL | Qt::Key_L)}, Window},
      {BackSec, {QKeySequence(Qt::CTRL | Qt::Key_Left)}, Window},
      {NextSec, {QKeySequence(Qt::CTRL | Qt::Key_Right)}, Window},
      {SetSelStart, {QKeySequence(Qt::ALT | Qt::Key_Left)}, Window},
      {SetSelEnd, {QKeySequence(Qt::ALT | Qt::Key_Right)}, Window},
      {First, {QKeySequence(Qt::Key_Home)}, PlayArea},
      {Last, {QKeySequence(Qt::Key_End)}, PlayArea},
      {Back, {QKeySequence(Qt::Key_Left)}, PlayArea},
      {Next, {QKeySequence(Qt::Key_Right)}, PlayArea},
      {EditSelectedClip,
       {QKeySequence(Qt::CTRL | Qt::Key_E), QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)},
       ClipPanel},
      {CopySelectedClip, {QKeySequence(Qt::CTRL | Qt::Key_C)}, ClipPanel},
      {DeleteSelectedClip, {QKeySequence(Qt::Key_Delete)}, ClipPanel},
  };
  return table;
}

const TShortcutRow* FindShortcut(TKorvelCommand command) {
  for (const TShortcutRow& row : ShortcutTable())
    if (row.Command == command) return &row;
  return nullptr;
}

Qt::ShortcutContext ContextOf(TShortcutScope scope) {
  return scope == TShortcutScope::Window ? Qt::WindowShortcut : Qt::WidgetWithChildrenShortcut;
}

}  // namespace

TKorvelActions::TKorvelActions(QObject* owner) {
  for (int i = 0; i < kKorvelCommandCount; ++i) {
    auto* action = new QAction(owner);
    const auto command = static_cast<TKorvelCommand>(i);
    if (const TShortcutRow* row = FindShortcut(command)) {
      action->setShortcuts(row->Keys);
      action->setShortcutContext(ContextOf(row->Scope));
    }
    actions_[static_cast<size_t>(i)] = action;
  }
  using enum TKorvelCommand;
  for (const TKorvelCommand command : {FileList, ClipList}) Get(command)->setCheckable(true);
  auto* colours = new QActionGroup(owner);
  for (const TKorvelCommand command :
       {BackgroundBlack, BackgroundWhite, BackgroundLightGrey, BackgroundSilver, BackgroundDarkGray}) {
    Get(command)->setCheckable(true);
    colours->addAction(Get(command));
  }
  ApplyCaptions();
}

TShortcutScope TKorvelActions::Scope(TKorvelCommand command) {
  const TShortcutRow* row = FindShortcut(command);
  return row ? row->Scope : TShortcutScope::None;
}

void TKorvelActions::ApplyCaptions() {
  for (int i = 0; i < kKorvelCommandCount; ++i) {
    const std::string caption = CommandCaption(static_cast<TKorvelCommand>(i));
    QAction* action = actions_[static_cast<size_t>(i)];
    action->setText(QString::fromStdString(caption));
    action->setToolTip(QString::fromStdString(WithoutAccelerator(caption)));
  }
}

void TKorvelActions::AttachShortcuts(QWidget* window, QWidget* clipPanel, QWidget* playArea) const {
  for (const TShortcutRow& row : ShortcutTable()) {
    QWidget* target = row.Scope == TShortcutScope::ClipPanel ? clipPanel
                      : row.Scope == TShortcutScope::PlayArea ? playArea
                                                              : window;
    target->addAction(Get(row.Command));
  }
}

}  // namespace korvel
