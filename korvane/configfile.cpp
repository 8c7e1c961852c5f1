#include "configfile.h"

#include <climits>

#include <QSettings>

#include "settingsfiles.h"

QString g_intervalTime;
QString g_writeNotifyIntervalTime;
QString g_runningModel;

void readConfigFile(QString& serverAddress, QString& intervalTime, QString& writeNotifyIntervalTime,
                    QString& runningModel) {
  const QSettings config(SettingsFiles::configPath(), QSettings::IniFormat);
  serverAddress = config.value(QStringLiteral("/ServerAddress"), QString()).toString();
  intervalTime = config.value(QStringLiteral("/intervalTime"), QString()).toString();
  writeNotifyIntervalTime = config.value(QStringLiteral("/WriteNotifyIntervalTime"), QString()).toString();
  runningModel = config.value(QStringLiteral("/RunningModel"), QString()).toString();
}

bool writeServerSettings(const QString& serverAddress, const QString& intervalTime) {
  QSettings config(SettingsFiles::configPath(), QSettings::IniFormat);
  config.setValue(QStringLiteral("/ServerAddress"), serverAddress);
  config.setValue(QStringLiteral("/intervalTime"), intervalTime);
  config.sync();
  return config.status() == QSettings::NoError;
}

unsigned intervalMs(const QString& intervalTime) {
  bool isNumber = false;
  const unsigned number = intervalTime.toUInt(&isNumber, 10);
  return isNumber && number <= unsigned(INT_MAX) ? number : DefaultIntervalMs;
}
