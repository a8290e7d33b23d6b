#include "gui/support/modal_answer.h"

#include <QApplication>

namespace korvel::test {

ModalAnswer::ModalAnswer(std::function<void(QWidget& modal)> answer) : answer_(std::move(answer)) {
  QObject::connect(&poll_, &QTimer::timeout, [this] {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible()) return;
    poll_.stop();
    answered_ = true;
    answer_(*modal);
  });
  poll_.start(10);
}

}  // namespace korvel::test
