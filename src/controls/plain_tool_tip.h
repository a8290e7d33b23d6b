#pragma once
// Tooltips of text that comes from files: Qt takes a tooltip that looks like markup for rich
// text, so the text is escaped and its line breaks kept.
#include <QString>

namespace korvel {

inline QString PlainToolTip(const QString& text) {
  return "<p style='white-space:pre'>" + text.toHtmlEscaped().replace('\n', "<br>") + "</p>";
}

}  // namespace korvel
