#include "recordingwindow.h"

void RecordingWindow::showTrayMessage(const QString& title, const QString& text, QSystemTrayIcon::MessageIcon icon,
                                      int displayMs) {
  balloons.push_back({title, text, icon, displayMs});
}
