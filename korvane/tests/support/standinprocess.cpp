#include "standinprocess.h"

#include <signal.h>

#include <QFile>
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
  if (process_.state() == QProcess::Running) ::kill(static_cast<pid_t>(process_.processId()), SIGSTOP);
}
