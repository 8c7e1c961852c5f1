#include "standinprocess.h"

#include <signal.h>

#include <QFile>
#include <QThread>
#include <QRegularExpression>

StandinProcess::~StandinProcess() { kill(); }

bool StandinProcess::start(const std::string& tables, bool simulate) {
  kill();
  const QString dataFile = dir_.filePath(QStringLiteral("tables-%1.json").arg(++starts_));
  QFile file(dataFile);
  if (!file.open(QIODevice::WriteOnly) || file.write(tables.data(), tables.size()) != qint64(tables.size()))
    return false;
  file.close();

  process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  QStringList arguments{QString::number(port_), dataFile};
  if (simulate) arguments.prepend(QStringLiteral("--simulate"));
  process_.start(QStringLiteral(PLATFORM_STANDIN_EXECUTABLE), arguments);
  // The program names its address once it listens.
  static const QRegularExpression listening(QStringLiteral("listening on 127\\.0\\.0\\.1:(\\d+)"));
  QByteArray output;
  while (process_.waitForReadyRead(10000)) {
    output += process_.readAllStandardOutput();
    const QRegularExpressionMatch match = listening.match(QString::fromUtf8(output));
    if (match.hasMatch()) {
      port_ = static_cast<std::uint16_t>(match.captured(1).toUInt());
      return true;
    }
  }
  return false;
}

void StandinProcess::kill() {
  if (process_.state() == QProcess::NotRunning) return;
  process_.kill();
  process_.waitForFinished(10000);
}

void StandinProcess::freeze() {
  if (process_.state() != QProcess::Running) return;
  const qint64 pid = process_.processId();
  ::kill(static_cast<pid_t>(pid), SIGSTOP);
  // The signal is sent at once but takes effect when the kernel next runs
  // the program's threads: the freeze is done only once it shows stopped.
  QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
  for (int i = 0; i < 1000; ++i) {
    if (!stat.open(QIODevice::ReadOnly)) return;
    const QByteArray line = stat.readAll();
    stat.close();
    // "<pid> (<name>) <state> ...": the state follows the name's last ')'.
    const int nameEnd = line.lastIndexOf(')');
    if (nameEnd >= 0 && line.size() > nameEnd + 2 && line.at(nameEnd + 2) == 'T') return;
    QThread::msleep(1);
  }
}
