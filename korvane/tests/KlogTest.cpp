#include <QRegularExpression>

#include <gtest/gtest.h>

#include "klog.h"
#include "support/debuglinesoff.h"
#include "support/messagecapture.h"

TEST(KlogTest, PrefixesThePayloadWithTimeSourceFunctionAndLine) {
  MessageCapture capture;
  const int line = __LINE__ + 1;
  KLOG << "read websocket connect successful" << 42;

  ASSERT_EQ(capture.lines().size(), 1);
  const QRegularExpression expected(
      QStringLiteral("^\\[Debug\\]\\[\\d\\d:\\d\\d:\\d\\d:\\d\\d\\d\\] <%1 %2 %3> read websocket connect successful 42$")
          .arg(QRegularExpression::escape(QStringLiteral(__FILE__)),
               QStringLiteral("KlogTest_PrefixesThePayloadWithTimeSourceFunctionAndLine_Test::TestBody"),
               QString::number(line)));
  EXPECT_TRUE(expected.match(capture.lines().first()).hasMatch()) << capture.lines().first().toStdString();
}

TEST(KlogTest, FunctionNameIsClassAndMethodWithoutReturnTypeOrParameters) {
  const struct {
    const char* signature;
    const char* name;
  } cases[] = {
      {"static QString ucommucation::realtimeConfRequest(LoginSession, QString)", "ucommucation::realtimeConfRequest"},
      {"QMap<QString, DevInfo> ujsonparser::parseDeviceList(QString) const", "ujsonparser::parseDeviceList"},
      {"void uwebsocket::onConnected()", "uwebsocket::onConnected"},
      {"int main(int, char**)", "main"},
  };
  for (const auto& c : cases) EXPECT_EQ(klogFunctionName(c.signature), QString(c.name)) << c.signature;
}

TEST(KlogTest, NothingOfALineIsFormedWhileTheMessageLogDropsDebugLines) {
  MessageCapture capture;
  int formed = 0;
  const auto payload = [&formed] {
    ++formed;
    return QStringLiteral("payload");
  };
  {
    const DebugLinesOff off;
    KLOG << payload();
    EXPECT_EQ(formed, 0);
  }
  KLOG << payload();
  EXPECT_EQ(formed, 1);
  ASSERT_EQ(capture.lines().size(), 1);
  EXPECT_TRUE(capture.lines().first().endsWith(QStringLiteral("> payload"))) << capture.lines().first().toStdString();
}
