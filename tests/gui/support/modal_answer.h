#pragma once
// Answering a modal window that code under test shows with exec(): the answer runs from the
// event loop once the window is up, as a person would act on it.
#include <QTimer>
#include <QWidget>
#include <functional>

namespace korvel::test {

// While it lives, calls answer with the next modal window once that is shown, at most once.
class ModalAnswer {
public:
  explicit ModalAnswer(std::function<void(QWidget& modal)> answer);
  ModalAnswer(const ModalAnswer&) = delete;
  ModalAnswer& operator=(const ModalAnswer&) = delete;

  bool Answered() const { return answered_; }

private:
  std::function<void(QWidget& modal)> answer_;
  QTimer poll_;
  bool answered_ = false;
};

}  // namespace korvel::test
