#pragma once

#include <vector>

#include <QString>
#include <QSystemTrayIcon>

#include "zelvoopcsrv.h"

// A main window that records its tray balloons, which no test platform shows.
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

protected:
  void showTrayMessage(const QString& title, const QString& text, QSystemTrayIcon::MessageIcon icon,
                       int displayMs) override;
};
