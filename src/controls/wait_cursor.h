#pragma once
// The wait cursor for as long as the object lives, so that every way out of a slow step on
// the GUI thread (returns, exceptions) gives the user's cursor back.
#include <QGuiApplication>

namespace korvel {

class TWaitCursor {
public:
  TWaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
  ~TWaitCursor() { QGuiApplication::restoreOverrideCursor(); }
  TWaitCursor(const TWaitCursor&) = delete;
  TWaitCursor& operator=(const TWaitCursor&) = delete;
};

}  // namespace korvel
