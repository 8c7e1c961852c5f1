#include "modalboxcloser.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPushButton>

#include "klog.h"

ModalBoxCloser::ModalBoxCloser(int periodMs, QObject* parent) : QObject(parent) {
  connect(&timer_, &QTimer::timeout, this, &ModalBoxCloser::closeActiveBox);
  timer_.start(periodMs);
}

void ModalBoxCloser::startFromEnvironment(QObject* owner) {
  bool isNumber = false;
  const int periodMs = qEnvironmentVariableIntValue("KORVANE_TEST_CLOSE_BOXES_MS", &isNumber);
  if (!isNumber || periodMs <= 0) return;
  (new ModalBoxCloser(periodMs, owner))->logging_ = true;
}

void ModalBoxCloser::closeActiveBox() {
  auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
  if (box == nullptr || !box->isVisible()) return;
  ClosedBox closed{box->windowTitle(), box->text(), box->icon(), {}};
  for (QAbstractButton* button : box->buttons()) closed.buttons.append(button->text());
  closedBoxes_.append(closed);
  if (logging_) KLOG << "closed box:" << closed.title << "|" << closed.text;
  QAbstractButton* press = box->defaultButton();
  if (press == nullptr) press = box->buttons().value(0);
  if (press != nullptr) press->click();
  else box->reject();
}
