#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platformstandin.h"
#include "singleinstance.h"
#include "support/waituntil.h"

using ::testing::HasSubstr;

namespace {

const QString executable = QStringLiteral(KORVANE_EXECUTABLE);
constexpr int startTimeLimitMs = 30000;

// Runs the program as a child process with its own temporary folder (the lock
// and the socket), its own settings folder, and the platform stand-in as its
// main server.
class SingleInstanceTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(folder.isValid());
    standin.start();
  }

  void TearDown() override {
    for (QProcess* program : {&first, &second}) {
      program->kill();
      program->waitForFinished(startTimeLimitMs);
    }
  }

  void start(QProcess& program, const QString& closeBoxesAfterMs = QString(), const QString& loggingRules = QString()) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!loggingRules.isEmpty()) environment.insert("QT_LOGGING_RULES", loggingRules);
    environment.insert("TMPDIR", folder.path());
    environment.insert("KORVANE_SETTINGS_DIR", folder.path());
    environment.insert("KORVANE_MAIN_REQUEST_ADDRESS", QString::fromStdString(standin.address()));
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    if (!closeBoxesAfterMs.isEmpty()) environment.insert("KORVANE_TEST_CLOSE_BOXES_MS", closeBoxesAfterMs);
    // Qt's offscreen platform never frees its screen, which a sanitizer build
    // of the program would report as a leak at exit and turn into its exit code.
    environment.insert("ASAN_OPTIONS", environment.value("ASAN_OPTIONS") + ":detect_leaks=0");
    program.setProcessEnvironment(environment);
    program.start(executable, QStringList());
    ASSERT_TRUE(program.waitForStarted(startTimeLimitMs));
  }

  QString socketPath() const {
    return folder.filePath(SingleInstance::instanceNameOf(SingleInstance::applicationIdOf(executable)));
  }

  // Waits until the first program listens for later instances.
  bool listening() const {
    return waitUntil(
        [this] {
          QLocalSocket probe;
          probe.connectToServer(socketPath());
          return probe.waitForConnected(100);
        },
        startTimeLimitMs);
  }

  // Whether the running instance answers a message line.
  bool answers() const {
    QLocalSocket probe;
    probe.connectToServer(socketPath());
    if (!probe.waitForConnected(startTimeLimitMs)) return false;
    probe.write("probe\n");
    return probe.waitForReadyRead(startTimeLimitMs) && probe.readAll() == "ok\n";
  }

  QTemporaryDir folder;
  PlatformStandin standin;
  QProcess first;
  QProcess second;
};

}  // namespace

TEST_F(SingleInstanceTest, SecondInstanceShowsTheBoxSendsItsMessageAndExitsWithOne) {
  start(first);
  ASSERT_TRUE(listening());

  start(second, "50");
  ASSERT_TRUE(second.waitForFinished(startTimeLimitMs));
  EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(second.exitCode(), 1);
  EXPECT_THAT(second.readAllStandardError().toStdString(),
              HasSubstr("closed box: Zelvo OPC Server | Zelvo OPC Server is already running."));

  // The first instance answered before the second could end, and runs on.
  first.waitForReadyRead(1000);
  EXPECT_THAT(first.readAllStandardError().toStdString(),
              HasSubstr("message from another instance: raise_window_noop"));
  EXPECT_EQ(first.state(), QProcess::Running);
  EXPECT_TRUE(listening());
}

TEST_F(SingleInstanceTest, LockAndSocketOfACrashedInstanceDoNotBlockTheNextStart) {
  start(first);
  ASSERT_TRUE(listening());
  first.kill();
  ASSERT_TRUE(first.waitForFinished(startTimeLimitMs));
  ASSERT_TRUE(QFileInfo::exists(socketPath()));
  ASSERT_TRUE(QFileInfo::exists(socketPath() + ".lock"));

  qputenv("TMPDIR", folder.path().toLocal8Bit());
  SingleInstance next(SingleInstance::applicationIdOf(executable));
  EXPECT_FALSE(next.isRunning());
  EXPECT_TRUE(listening());
}

TEST_F(SingleInstanceTest, MessagesAreAnsweredAlsoWhileDebugLinesAreOff) {
  start(first, QString(), "default.debug=false");
  ASSERT_TRUE(listening());
  EXPECT_TRUE(answers());
  EXPECT_TRUE(answers());
  EXPECT_EQ(first.state(), QProcess::Running);
}
