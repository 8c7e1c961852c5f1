#include "singleinstance.h"

#include <algorithm>

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QLocalSocket>

#include <unistd.h>

#include "klog.h"

namespace {

const QByteArray answer = "ok\n";
// A line longer than this is not a message of ours: the connection is dropped.
constexpr qint64 longestMessage = 4096;

}  // namespace

SingleInstance::SingleInstance(const QString& applicationId, QObject* parent)
    : QObject(parent),
      name_(instanceNameOf(applicationId)),
      lock_(QDir::tempPath() + QLatin1Char('/') + name_ + QStringLiteral(".lock")) {
  // Only a dead owner makes the lock stale, never its age: an instance may run for weeks.
  lock_.setStaleLockTime(0);
  primary_ = lock_.tryLock(0);
  if (!primary_) return;
  connect(&server_, &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
  QLocalServer::removeServer(name_);  // a socket file left by a crashed instance
  if (!server_.listen(name_)) KLOG << "single-instance socket not listening:" << server_.errorString();
}

SingleInstance::~SingleInstance() {
  server_.close();
  if (primary_) lock_.unlock();
}

bool SingleInstance::sendMessage(const QString& message, int timeoutMs) {
  QElapsedTimer clock;
  clock.start();
  const auto remaining = [&] { return std::max<qint64>(0, timeoutMs - clock.elapsed()); };
  QLocalSocket socket;
  socket.connectToServer(name_);
  if (!socket.waitForConnected(remaining())) return false;
  socket.write(message.toUtf8() + '\n');
  if (!socket.waitForBytesWritten(remaining())) return false;
  while (!socket.canReadLine())
    if (remaining() == 0 || !socket.waitForReadyRead(remaining())) return false;
  return socket.readLine() == answer;
}

QString SingleInstance::applicationIdOf(const QString& executablePath) {
  const QByteArray hash = QCryptographicHash::hash(executablePath.toUtf8(), QCryptographicHash::Sha1).toHex();
  return QStringLiteral("korvane-") + QString::fromLatin1(hash.left(12));
}

QString SingleInstance::instanceNameOf(const QString& applicationId) {
  return applicationId + QLatin1Char('-') + QString::number(::getuid());
}

void SingleInstance::acceptConnections() {
  while (QLocalSocket* socket = server_.nextPendingConnection()) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, socket, [socket] {
      while (socket->canReadLine()) {
        // Read whether or not the line is logged.
        const QString message = QString::fromUtf8(socket->readLine()).trimmed();
        KLOG << "message from another instance:" << message;
        socket->write(answer);
      }
      if (socket->bytesAvailable() > longestMessage) socket->abort();
    });
  }
}
