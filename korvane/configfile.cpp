#include "configfile.h"

#include <climits>

#include <QList>
#include <QPair>
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

namespace {

bool writeConfigValues(const QList<QPair<QString, QString>>& values) {
  SettingsFiles::createOwnerOnly(SettingsFiles::configPath());
  QSettings config(SettingsFiles::configPath(), QSettings::IniFormat);
  for (const auto& value : values) config.setValue(value.first, value.second);
  config.sync();
  return config.status() == QSettings::NoError;
}

}  // namespace

bool writeServerSettings(const QString& serverAddress, const QString& intervalTime) {
  return writeConfigValues(
      {{QStringLiteral("/ServerAddress"), serverAddress}, {QStringLiteral("/intervalTime"), intervalTime}});
}

bool writeServerAddress(const QString& serverAddress) {
  return writeConfigValues({{QStringLiteral("/ServerAddress"), serverAddress}});
}

unsigned intervalMs(const QString& intervalTime) {
  bool isNumber = false;
  const unsigned number = intervalTime.toUInt(&isNumber, 10);
  return isNumber && number <= unsigned(INT_MAX) ? number : DefaultIntervalMs;
}
