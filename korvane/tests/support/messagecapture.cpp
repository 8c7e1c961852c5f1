#include "messagecapture.h"

namespace {

QStringList capturedLines;

}  // namespace

MessageCapture::MessageCapture() : previous_(qInstallMessageHandler(&MessageCapture::collect)) {
  capturedLines.clear();
}

MessageCapture::~MessageCapture() { qInstallMessageHandler(previous_); }

QStringList MessageCapture::lines() const { return capturedLines; }

void MessageCapture::collect(QtMsgType, const QMessageLogContext&, const QString& message) {
  capturedLines.append(message);
}
