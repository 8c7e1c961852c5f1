#pragma once

#include <QDebug>
#include <QString>

// The program's diagnostic line: "[Debug][hh:mm:ss:zzz] <source-path Class::method line>"
// followed by the payload, through the Qt message log.
//   KLOG << "read websocket connect successful";
#define KLOG qDebug().noquote() << klogPrefix(__FILE__, __PRETTY_FUNCTION__, __LINE__)

QString klogPrefix(const char* sourcePath, const char* prettyFunction, int line);

// "Class::method" out of a compiler's full function signature, such as
// "static QString ucommucation::realtimeConfRequest(LoginSession, QString)".
QString klogFunctionName(const char* prettyFunction);
