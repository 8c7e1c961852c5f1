#pragma once

#include <QDebug>
#include <QString>

// The program's diagnostic line: "[Debug][hh:mm:ss:zzz] <source-path Class::method line>"
// followed by the payload, through the Qt message log.
//   KLOG << "read websocket connect successful";
// While the message log drops debug lines, neither the prefix nor the payload
// is formed: the operands after KLOG are not evaluated.
#define KLOG                                                   \
  for (bool klogOn = klogEnabled(); klogOn; klogOn = false) \
  qDebug().noquote() << klogPrefix(__FILE__, __PRETTY_FUNCTION__, __LINE__)

// Whether the message log passes the program's debug lines on to its handler:
// the debug level of its default category is on (the rules of
// QT_LOGGING_RULES, say, can switch it off).
bool klogEnabled();

QString klogPrefix(const char* sourcePath, const char* prettyFunction, int line);

// "Class::method" out of a compiler's full function signature, such as
// "static QString ucommucation::realtimeConfRequest(LoginSession, QString)".
QString klogFunctionName(const char* prettyFunction);
