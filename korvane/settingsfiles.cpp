#include "settingsfiles.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <QCoreApplication>
#include <QFile>

#include "klog.h"

QString SettingsFiles::directory() {
  const QString moved = qEnvironmentVariable("KORVANE_SETTINGS_DIR");
  return moved.isEmpty() ? QCoreApplication::applicationDirPath() : moved;
}

QString SettingsFiles::configPath() { return directory() + QStringLiteral("/config.ini"); }

QString SettingsFiles::userPath() { return directory() + QStringLiteral("/usr.ini"); }

void SettingsFiles::createOwnerOnly(const QString& path) {
  const QByteArray name = QFile::encodeName(path);
  const int file = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (file >= 0) {
    ::close(file);
    return;
  }
  // An existing file is the usual case; anything else means the settings
  // cannot be written either, which their writer reports.
  if (errno != EEXIST) KLOG << "settings file not created:" << path << std::strerror(errno);
}
