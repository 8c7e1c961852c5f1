#include "settingsfiles.h"

#include <QCoreApplication>

QString SettingsFiles::directory() {
  const QString moved = qEnvironmentVariable("KORVANE_SETTINGS_DIR");
  return moved.isEmpty() ? QCoreApplication::applicationDirPath() : moved;
}

QString SettingsFiles::configPath() { return directory() + QStringLiteral("/config.ini"); }

QString SettingsFiles::userPath() { return directory() + QStringLiteral("/usr.ini"); }
