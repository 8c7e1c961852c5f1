#include <thread>

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextBlock>
#include <QTextEdit>

#include <gtest/gtest.h>

#include "debugmessagehandler.h"
#include "g_debug.h"
#include "modalboxcloser.h"
#include "support/messagecapture.h"

namespace {

const char* const timePattern = "\\d\\d:\\d\\d:\\d\\d:\\d\\d\\d";

// A debug window whose save dialog answers with a path the test chose.
class SavingDebugWindow : public g_debug {
public:
  QString answer;

protected:
  QString chooseSaveFile() override { return answer; }
};

QTextEdit* viewOf(g_debug& window) { return window.findChild<QTextEdit*>("debugTextView"); }

void search(g_debug& window, const QString& word) {
  window.findChild<QLineEdit*>("searchField")->setText(word);
  window.on_findButton_clicked();
}

// Whether the character at `position` of the view is shown in red.
bool redAt(g_debug& window, int position) {
  QTextCursor cursor(viewOf(window)->document());
  cursor.setPosition(position + 1);
  return cursor.charFormat().foreground().color() == QColor(Qt::red);
}

}  // namespace

TEST(DebugWindowTest, EachMessageTypeGetsItsPrefixAndTheTime) {
  const struct {
    QtMsgType type;
    const char* prefix;
  } cases[] = {{QtDebugMsg, "Debug:"}, {QtWarningMsg, "Warning:"}, {QtCriticalMsg, "Critical:"}, {QtFatalMsg, "Fatal:"}};
  for (const auto& c : cases) {
    const QRegularExpression expected(QStringLiteral("^%1%2: hello x$").arg(c.prefix, timePattern));
    EXPECT_TRUE(expected.match(debugLine(c.type, "hello x")).hasMatch()) << c.prefix;
  }
  EXPECT_EQ(debugLine(QtInfoMsg, "hello"), "");
}

// However much is logged, one line and the whole view stay bounded.
TEST(DebugWindowTest, ALongMessageIsCutAndTheViewKeepsTheLatestLines) {
  const QString line = debugLine(QtDebugMsg, QString(DebugLineMessageLimit + 1000, QLatin1Char('x')));
  EXPECT_TRUE(line.endsWith(QString(DebugLineMessageLimit, QLatin1Char('x')) + " [cut]")) << line.size();
  EXPECT_LT(line.size(), DebugLineMessageLimit + 40);
  EXPECT_TRUE(debugLine(QtDebugMsg, QString(DebugLineMessageLimit, QLatin1Char('y'))).endsWith("yyy"));

  g_debug window;
  for (int i = 0; i < g_debug::KeptLines + 5; ++i) emit window.settext(QStringLiteral("line %1").arg(i));
  const QTextDocument* document = viewOf(window)->document();
  EXPECT_EQ(document->blockCount(), g_debug::KeptLines);
  EXPECT_EQ(document->firstBlock().text(), "line 5");
  EXPECT_EQ(document->lastBlock().text(), QStringLiteral("line %1").arg(g_debug::KeptLines + 4));
}

TEST(DebugWindowTest, HandlerOpensTheWindowAndKeepsOtherThreadsLinesInOrder) {
  ASSERT_EQ(g_debugWindow.load(), nullptr);
  qInstallMessageHandler(debugMessageHandler);
  qDebug("first");
  g_debug* window = g_debugWindow.load();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->isVisible());

  std::thread([] {
    for (int i = 0; i < 5; ++i) qWarning("from thread %d", i);
  }).join();
  QApplication::processEvents();
  qInfo("information");
  qInstallMessageHandler(nullptr);

  const QString log = viewOf(*window)->toPlainText();
  const QRegularExpression expected(
      QStringLiteral("Debug:%1: first\n(.*\n)*"
                     "Warning:%1: from thread 0\nWarning:%1: from thread 1\nWarning:%1: from thread 2\n"
                     "Warning:%1: from thread 3\nWarning:%1: from thread 4\n$")
          .arg(timePattern));
  EXPECT_TRUE(expected.match(log).hasMatch()) << log.toStdString();

  // Closing only hides the window, and never ends the program; lines still arrive.
  window->close();
  EXPECT_TRUE(window->isHidden());
  EXPECT_FALSE(window->testAttribute(Qt::WA_QuitOnClose));
  emit window->settext(QStringLiteral("after closing"));
  EXPECT_TRUE(viewOf(*window)->toPlainText().endsWith("after closing"));
  delete g_debugWindow.exchange(nullptr);
}

TEST(DebugWindowTest, AListEmptiesAViewOfMoreThanTenThousandCharactersFirst) {
  const struct {
    int length;
    bool kept;
  } cases[] = {{g_debug::ListTrimLength, true}, {g_debug::ListTrimLength + 1, false}};
  for (const auto& c : cases) {
    g_debug window;
    emit window.settext(QString(c.length, 'a'));
    emit window.settext(QStringList{"one", "two"});
    const QString tail = QStringLiteral("one\ntwo");
    EXPECT_EQ(viewOf(window)->toPlainText(), c.kept ? QString(c.length, 'a') + "\n" + tail : tail) << c.length;
  }

  g_debug window;
  for (int i = 0; i < 3; ++i) emit window.settext(QString(g_debug::ListTrimLength, 'b'));
  EXPECT_EQ(viewOf(window)->toPlainText().length(), 3 * g_debug::ListTrimLength + 2);
}

TEST(DebugWindowTest, SearchColoursWholeWordsOnceAndTakesTheColourOffAgain) {
  g_debug window;
  emit window.settext(QStringLiteral("log logging LOG"));
  emit window.settext(QStringLiteral("catalog log"));
  const int matches[] = {0, 12, 24};
  const int others[] = {3, 4, 20};  // the blank after a match, "logging", "catalog"

  search(window, "log");
  emit window.settext(QStringLiteral("appended between searches"));
  search(window, "log");
  for (int at : matches) EXPECT_TRUE(redAt(window, at)) << at;
  for (int at : others) EXPECT_FALSE(redAt(window, at)) << at;
  EXPECT_TRUE(viewOf(window)->toPlainText().endsWith("appended between searches"));

  ModalBoxCloser closer;
  search(window, "");
  for (int at : matches) EXPECT_FALSE(redAt(window, at)) << at;
  ASSERT_EQ(closer.closedBoxes().size(), 1);
  EXPECT_EQ(closer.closedBoxes().first().title, "Empty Search Field");
  EXPECT_EQ(closer.closedBoxes().first().text, "The search field is empty. Please enter a word and click Find.");
  EXPECT_EQ(viewOf(window)->toPlainText(), "log logging LOG\ncatalog log\nappended between searches");

  MessageCapture capture;
  search(window, "absent");
  EXPECT_EQ(capture.lines(), QStringList{"Sorry, the word cannot be found."});
}

TEST(DebugWindowTest, SavingAppendsTheViewToTheFileAndCancelWritesNothing) {
  QTemporaryDir folder;
  SavingDebugWindow window;
  emit window.settext(QStringLiteral("line 1"));
  emit window.settext(QStringLiteral("line 2"));
  MessageCapture capture;

  window.answer = QString();
  window.on_savetofile();
  EXPECT_TRUE(capture.lines().isEmpty());

  // A name without an extension gets ".txt", the one the dialog offers.
  window.answer = folder.filePath("log");
  window.on_savetofile();
  window.answer = folder.filePath("log.txt");
  window.on_savetofile();
  QFile file(window.answer);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(), QByteArray("line 1\nline 2line 1\nline 2"));
  EXPECT_FALSE(QFile::exists(folder.filePath("log")));
  const QString saved = "save file to " + window.answer + " successed!";
  EXPECT_EQ(capture.lines(), QStringList({saved, saved}));
}
