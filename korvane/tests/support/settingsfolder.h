#pragma once

#include <QString>
#include <QTemporaryDir>

// A fresh folder for config.ini and usr.ini while it lives, so a test never
// reads or writes the files beside the test program, which other tests share.
class SettingsFolder {
public:
  SettingsFolder();
  ~SettingsFolder();
  SettingsFolder(const SettingsFolder&) = delete;
  SettingsFolder& operator=(const SettingsFolder&) = delete;

  QString path() const { return dir_.path(); }
  QString configPath() const { return dir_.filePath(QStringLiteral("config.ini")); }
  QString userPath() const { return dir_.filePath(QStringLiteral("usr.ini")); }

private:
  QTemporaryDir dir_;
};
