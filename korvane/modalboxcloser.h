#pragma once

#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

// Answers every modal message box that opens while it runs: it notes the box's
// title, text, icon and button labels, then presses the box's button. Tests use
// it to get past the program's boxes, in-process or, through the variable
// KORVANE_TEST_CLOSE_BOXES_MS, in a program they start; the program then logs
// each box it closed.
class ModalBoxCloser : public QObject {
  Q_OBJECT

public:
  struct ClosedBox {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
  };

  explicit ModalBoxCloser(int periodMs = 10, QObject* parent = nullptr);

  const QList<ClosedBox>& closedBoxes() const { return closedBoxes_; }

  // Starts a logging closer owned by `owner` when the variable names a period.
  static void startFromEnvironment(QObject* owner);

private:
  void closeActiveBox();

  QTimer timer_;
  QList<ClosedBox> closedBoxes_;
  bool logging_ = false;
};
