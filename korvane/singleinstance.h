#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>

// Keeps the program to one running instance per user and executable. The
// first instance holds a lock file and listens on a local socket, both named
// from the application identifier and the user, in the temporary folder
// (TMPDIR moves them). A later instance finds the lock taken and can send the
// first one a text line; the first one reads and answers it, and does nothing
// else with it. A lock or socket left behind by a crashed instance is cleared
// by the next start.
class SingleInstance : public QObject {
  Q_OBJECT

public:
  explicit SingleInstance(const QString& applicationId, QObject* parent = nullptr);
  ~SingleInstance() override;

  // Another live process holds the instance.
  bool isRunning() const { return !primary_; }
  // Sends one line to the running instance and waits for its answer, at most
  // `timeoutMs` in all. True when the answer came.
  bool sendMessage(const QString& message, int timeoutMs = 5000);

  // An identifier derived from the executable's path.
  static QString applicationIdOf(const QString& executablePath);
  // The name of the local socket, and of the lock file with ".lock" added,
  // for this application and the current user.
  static QString instanceNameOf(const QString& applicationId);

private:
  void acceptConnections();

  const QString name_;
  QLockFile lock_;
  QLocalServer server_;
  bool primary_ = false;
};
