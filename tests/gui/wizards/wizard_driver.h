#pragma once
// Driving a wizard as a person would: its buttons by name, its log, the end of its run.
#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStringList>
#include <QTimer>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

#include "app/wizards/wizard_frame.h"
#include "gui/support/english_words.h"
#include "project/clip_list.h"

namespace korvel::test {

template <typename T>
T* Part(QWidget& wizard, const char* name) {
  return wizard.findChild<T*>(name);
}

inline QPushButton* Button(QWidget& wizard, const char* name) { return Part<QPushButton>(wizard, name); }

// A left click on the button, which does nothing while it is disabled; false when the wizard
// has no such button.
bool Click(QWidget& wizard, const char* name);

// Next, as often as it takes to reach the Info page, then Produce.
void ProduceFromDest(QWidget& wizard);

// Turns the event loop until the run has ended; false on the timeout.
bool WaitForEnd(const TWizardFrame& wizard, int timeoutMs = 60000);

QStringList LogLines(QWidget& wizard);
// The log's lines after the summary, its separator and the empty line after that.
QStringList RunLines(QWidget& wizard);

struct ClipSpec {
  std::filesystem::path file;
  int32_t start;
  int32_t end;
};
// A clip list without a panel or a reference analysis.
std::unique_ptr<TClipList> MakeClips(const std::vector<ClipSpec>& clips);

// Once a modal window of type T is up and act accepts it (returns true). act runs from the
// event loop, so it may itself wait for the next window; checked every 10 ms.
template <typename T>
void WhenModal(std::function<bool(T*)> act) {
  QTimer::singleShot(10, [act] {
    auto* window = qobject_cast<T*>(QApplication::activeModalWidget());
    if (!window || !act(window)) WhenModal<T>(act);
  });
}

// Chooses file in a file dialog and presses Save.
void ChooseInFileDialog(QFileDialog& dialog, const std::filesystem::path& file);

// Copies a fixture to dest, making its folder.
void CopyFixture(const char* fixture, const std::filesystem::path& dest);

}  // namespace korvel::test
