#pragma once

#include <vector>

#include <QString>
#include <QSystemTrayIcon>

#include "zelvoopcsrv.h"

// A main window that records its tray balloons, which no test platform shows,
// on a desktop that has a system tray unless the test takes it away.
class RecordingWindow : public ZelvoOpcSrv {
public:
  explicit RecordingWindow(WebSocketPeriods periods = {}) : ZelvoOpcSrv(nullptr, periods) {}

  struct Balloon {
    QString title;
    QString text;
    QSystemTrayIcon::MessageIcon icon;
    int displayMs;
  };
  std::vector<Balloon> balloons;
  bool trayAvailable = true;

protected:
  void showTrayMessage(const QString& title, const QString& text, QSystemTrayIcon::MessageIcon icon,
                       int displayMs) override;
  bool systemTrayAvailable() const override { return trayAvailable; }
};
