#pragma once

#include <QStringList>
#include <QtGlobal>

// Collects the Qt message log while it lives, instead of printing it.
class MessageCapture {
public:
  MessageCapture();
  ~MessageCapture();
  MessageCapture(const MessageCapture&) = delete;
  MessageCapture& operator=(const MessageCapture&) = delete;

  QStringList lines() const;

private:
  static void collect(QtMsgType type, const QMessageLogContext& context, const QString& message);

  QtMessageHandler previous_;
};
