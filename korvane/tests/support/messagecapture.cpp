#include "messagecapture.h"

#include <mutex>

namespace {

// Lines arrive from toolkit threads too.
std::mutex capturedMutex;
QStringList capturedLines;

}  // namespace

MessageCapture::MessageCapture() : previous_(qInstallMessageHandler(&MessageCapture::collect)) {
  const std::lock_guard<std::mutex> lock(capturedMutex);
  capturedLines.clear();
}

MessageCapture::~MessageCapture() { qInstallMessageHandler(previous_); }

QStringList MessageCapture::lines() const {
  const std::lock_guard<std::mutex> lock(capturedMutex);
  return capturedLines;
}

void MessageCapture::collect(QtMsgType, const QMessageLogContext&, const QString& message) {
  const std::lock_guard<std::mutex> lock(capturedMutex);
  capturedLines.append(message);
}
