#include <algorithm>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <QCoreApplication>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "loginsession.h"
#include "platformstandin.h"
#include "platformurls.h"
#include "support/messagecapture.h"
#include "support/standinrecords.h"
#include "support/waituntil.h"
#include "uwebsocket.h"

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::Each;
using ::testing::HasSubstr;

namespace {

const char* const tables = R"({
  "users": [{"user_tel": "13800000000", "password": "demo123", "user_id": 1001, "token": "tok-abc123"}],
  "values": {"A1": {"1": "23.5", "10": "1"}}
})";

const LoginSession loggedIn{"13800000000", "true", "login ok", 1001, "tok-abc123"};

// Periods long enough that no timer fires during a test, unless it says otherwise.
constexpr int never = 3600 * 1000;
constexpr WebSocketPeriods quiet{never, never, never};
// A period short enough for many to pass within a test.
constexpr int brief = 20;
// A reconnect period short enough for several to pass within a test, yet
// longer than a handshake takes.
constexpr int retry = 100;

DataInfo variable(const char* snCode, int dataCode) {
  DataInfo info;
  info.sn_code = snCode;
  info.data_code = dataCode;
  return info;
}

const QList<DevConfig> configs = {
    {"A1", 2, {{"A1", 2, "Analog", {variable("A1", 2), variable("A1", 1)}}, {"A1", 1, "Switch", {variable("A1", 10)}}}},
    {"B2", 1, {{"B2", 1, "Counter", {variable("B2", 1)}}}},
};

std::string readRequest(int userId, const std::string& token, const std::string& snCode,
                        const std::string& dataCode) {
  return R"({"req_type":1,"user_id":)" + std::to_string(userId) + R"(,"user_token":")" + token +
         R"(","devRealData":[{"sn_code":")" + snCode + R"(","data_code":")" + dataCode + R"("}]})";
}

class UwebsocketTest : public ::testing::Test {
protected:
  void SetUp() override {
    standin.data().loadJson(tables);
    standin.start();
    g_serverAddress = QString::fromStdString(standin.address());
    g_session = loggedIn;
  }

  void TearDown() override { g_session = LoginSession(); }

  // A client whose channels are both open.
  std::unique_ptr<uwebsocket> connectedClient(WebSocketPeriods periods = quiet) {
    auto client = std::make_unique<uwebsocket>(configs, nullptr, periods);
    client->initWebSocket();
    EXPECT_TRUE(waitForLog("read websocket connect successful"));
    EXPECT_TRUE(waitForLog("write websocket connect successful"));
    // The client hears of the upgrade before the stand-in has listed the
    // connection: a push sent in between would reach nobody.
    EXPECT_TRUE(waitUntil([&] {
      return standin.webSockets().openConnections(WebSocketChannel::Read) > 0 &&
             standin.webSockets().openConnections(WebSocketChannel::Write) > 0;
    }));
    return client;
  }

  // How many log lines so far hold `text`.
  int logCount(const QString& text) const {
    const QStringList lines = log.lines();
    return static_cast<int>(std::count_if(lines.begin(), lines.end(),
                                          [&](const QString& line) { return line.contains(text); }));
  }

  bool waitForLog(const QString& text, int times = 1) const {
    return waitUntil([&] { return logCount(text) >= times; });
  }

  std::vector<std::string> logLines() const {
    std::vector<std::string> lines;
    for (const QString& line : log.lines()) lines.push_back(line.toStdString());
    return lines;
  }

  std::vector<std::string> frames(WebSocketChannel channel) { return frameTexts(standin, channel); }

  bool waitForFrames(WebSocketChannel channel, size_t count) {
    return waitUntil([&] { return frames(channel).size() >= count; });
  }

  // The targets of the upgrade requests for one channel so far.
  std::vector<std::string> upgradeTargets(WebSocketChannel channel) {
    std::vector<std::string> targets;
    for (const RecordedRequest& request : standin.requests().all())
      if (ChannelRouter::channelOf(request.target) == channel) targets.push_back(request.target);
    return targets;
  }

  void dropBothChannelsAndRefuseNewOnes() {
    standin.webSockets().refuseUpgradesFor(std::chrono::hours(1));
    standin.webSockets().drop(WebSocketChannel::Read);
    standin.webSockets().drop(WebSocketChannel::Write);
    EXPECT_TRUE(waitForLog("read websocket is disconnected"));
    EXPECT_TRUE(waitForLog("write websocket is disconnected"));
  }

  PlatformStandin standin;
  MessageCapture log;
};

}  // namespace

TEST_F(UwebsocketTest, ReadRequestsCarryTheSessionOfTheirMomentAndTheirScopesVariables) {
  const LoginSession noSession;
  const LoginSession oddSession{"x", "true", "", 7, R"(t"k\)"};
  const struct {
    const LoginSession& session;
    MsgType scope;
    const char* context;
    std::vector<std::string> requests;
  } cases[] = {
      {noSession, MsgOneDevice, "A1", {readRequest(0, "", "A1", "")}},
      {loggedIn, MsgOneDevice, "A1", {readRequest(1001, "tok-abc123", "A1", "")}},
      {loggedIn, MsgOneVariable, "A1_5", {readRequest(1001, "tok-abc123", "A1", "5")}},
      {loggedIn, MsgOneVariable, "A_1_12", {readRequest(1001, "tok-abc123", "A_1", "12")}},
      {loggedIn, MsgOneVariable, "A1", {}},
      {loggedIn, static_cast<MsgType>(7), "A1", {}},
      {loggedIn,
       MsgAllDevices,
       "",
       {readRequest(1001, "tok-abc123", "A1", "2"), readRequest(1001, "tok-abc123", "A1", "1"),
        readRequest(1001, "tok-abc123", "A1", "10"), readRequest(1001, "tok-abc123", "B2", "1")}},
      {oddSession, MsgOneDevice, "B\"2", {readRequest(7, R"(t\"k\\)", R"(B\"2)", "")}},
  };
  const auto client = connectedClient();
  std::vector<std::string> expected;
  for (const auto& c : cases) {
    g_session = c.session;
    client->MessageHandleSlot(c.scope, c.context);
    expected.insert(expected.end(), c.requests.begin(), c.requests.end());
  }

  ASSERT_TRUE(waitForFrames(WebSocketChannel::Read, expected.size()));
  EXPECT_THAT(frames(WebSocketChannel::Read), ElementsAreArray(expected));
}

TEST_F(UwebsocketTest, BatchCarriesTheNewestValueOfEachVariableInKeyOrderAndEmptiesTheQueue) {
  const auto client = connectedClient();
  client->on_writeNewRealTimeValue("A1", 9, "1");
  client->on_writeNewRealTimeValue("A1", 10, "2");
  // A write made on a toolkit thread arrives queued.
  std::thread([&] {
    QMetaObject::invokeMethod(client.get(), "on_writeNewRealTimeValue", Qt::AutoConnection, Q_ARG(QString, "A1"),
                              Q_ARG(int, 9), Q_ARG(QString, "3"));
  }).join();
  QCoreApplication::processEvents();
  client->on_writeNewRealTimeValue("B_2", 1, R"(x"y)");
  client->on_sendweb();
  client->on_sendweb();
  client->on_writeNewRealTimeValue("A1", 1, "7");
  client->on_sendweb();

  ASSERT_TRUE(waitForFrames(WebSocketChannel::Write, 2));
  EXPECT_THAT(frames(WebSocketChannel::Write),
              ElementsAre(R"({"batch_flag":true,"data_list":[{"data":"2","data_code":"10","sn_code":"A1"},)"
                          R"({"data":"3","data_code":"9","sn_code":"A1"},{"data":"x\"y","data_code":"1","sn_code":"B_2"}],)"
                          R"("req_type":1,"user_id":1001,"user_token":"tok-abc123"})"
                          "\n",
                          R"({"batch_flag":true,"data_list":[{"data":"7","data_code":"1","sn_code":"A1"}],)"
                          R"("req_type":1,"user_id":1001,"user_token":"tok-abc123"})"
                          "\n"));
  EXPECT_THAT(logLines(), Contains(HasSubstr("send_json:{\"batch_flag\":true,")));
}

TEST_F(UwebsocketTest, TimersSendBatchesEachPeriodAndKeepAlivesWhileTheWriteChannelIsUp) {
  const auto client = connectedClient({brief, never, brief});
  client->on_writeNewRealTimeValue("A1", 1, "4");

  // Several periods pass while the keep-alives come: one batch, nothing for
  // the empty periods, and keep-alives that are empty frames.
  ASSERT_TRUE(waitUntil([&] {
    const auto sent = frames(WebSocketChannel::Write);
    return std::count(sent.begin(), sent.end(), "") >= 5;
  }));
  std::vector<std::string> batches = frames(WebSocketChannel::Write);
  batches.erase(std::remove(batches.begin(), batches.end(), ""), batches.end());
  EXPECT_THAT(batches, ElementsAre(HasSubstr(R"({"data":"4","data_code":"1","sn_code":"A1"})")));
  EXPECT_THAT(logLines(), Contains("[uwebsocket:wsheart] [bytes]: 0"));

  dropBothChannelsAndRefuseNewOnes();
  const int keepAlives = logCount("[uwebsocket:wsheart]");
  runEventsFor(10 * brief);
  EXPECT_EQ(logCount("[uwebsocket:wsheart]"), keepAlives);
}

TEST_F(UwebsocketTest, LostChannelsAreReopenedEachPeriodOnTheSameUrlUntilConnected) {
  standin.webSockets().refuseUpgradesFor(std::chrono::hours(1));
  uwebsocket client(configs, nullptr, {never, retry, never});
  client.initWebSocket();
  ASSERT_TRUE(waitUntil([&] {
    return upgradeTargets(WebSocketChannel::Read).size() >= 3 && upgradeTargets(WebSocketChannel::Write).size() >= 3;
  }));

  standin.webSockets().refuseUpgradesFor(std::chrono::milliseconds(0));
  ASSERT_TRUE(waitForLog("read websocket connect successful"));
  ASSERT_TRUE(waitForLog("write websocket connect successful"));
  const size_t readOpens = upgradeTargets(WebSocketChannel::Read).size();
  const size_t writeOpens = upgradeTargets(WebSocketChannel::Write).size();
  runEventsFor(5 * retry);
  EXPECT_EQ(upgradeTargets(WebSocketChannel::Read).size(), readOpens);
  EXPECT_EQ(upgradeTargets(WebSocketChannel::Write).size(), writeOpens);

  standin.webSockets().drop(WebSocketChannel::Read);
  standin.webSockets().drop(WebSocketChannel::Write);
  ASSERT_TRUE(waitForLog("read websocket connect successful", 2));
  ASSERT_TRUE(waitForLog("write websocket connect successful", 2));

  const std::vector<std::string> readTargets = upgradeTargets(WebSocketChannel::Read);
  const std::string code = ChannelRouter::codeOf(readTargets.front());
  EXPECT_THAT(code, ::testing::MatchesRegex("[0-9]{1,10}"));
  EXPECT_THAT(readTargets, Each("/ZirOrurodaz/getDataWebsocket?type=pc&code=" + code));
  EXPECT_THAT(upgradeTargets(WebSocketChannel::Write), Each("/ZirOrurodaz/websocketTest?type=pc&code=" + code));
}

// A message over the limit never reaches the bridge, nor the memory it would
// take: its connection goes unread, is reopened, and takes the next message.
TEST_F(UwebsocketTest, AMessageOverTheLimitIsDroppedWithItsConnectionAndTheChannelComesBack) {
  standin.webSockets().limitSendQueue(2 * uwebsocket::MessageLimit);
  const std::unique_ptr<uwebsocket> client = connectedClient({never, retry, never});
  QStringList messages;
  QObject::connect(client.get(), &uwebsocket::getNewMessageSignal, [&](const QString& msg) { messages << msg; });
  const std::string longest(uwebsocket::MessageLimit, 'x');

  standin.webSockets().push(WebSocketChannel::Read, longest);
  ASSERT_TRUE(waitUntil([&] { return messages.size() == 1; }));
  EXPECT_EQ(messages.front().size(), uwebsocket::MessageLimit);
  standin.webSockets().push(WebSocketChannel::Read, longest + "x");
  ASSERT_TRUE(waitForLog("read websocket connect successful", 2));
  EXPECT_EQ(logCount(QStringLiteral("message longer than %1 bytes dropped").arg(uwebsocket::MessageLimit)), 1);
  ASSERT_TRUE(waitUntil([&] { return standin.webSockets().push(WebSocketChannel::Read, "after") == 1; }));
  ASSERT_TRUE(waitUntil([&] { return messages.size() == 2; }));
  EXPECT_EQ(messages.back(), "after");
  // Another loss later is no such drop.
  standin.webSockets().drop(WebSocketChannel::Read);
  ASSERT_TRUE(waitForLog("read websocket connect successful", 3));
  EXPECT_EQ(logCount(QStringLiteral("message longer than %1 bytes dropped").arg(uwebsocket::MessageLimit)), 1);
}

TEST_F(UwebsocketTest, ClosedForReloginTheChannelsStayClosedUntilTheRetryFlagIsSetAgain) {
  const auto client = connectedClient({never, retry, never});
  client->focus_close_ws();
  ASSERT_TRUE(waitForLog("read websocket is disconnected"));
  ASSERT_TRUE(waitForLog("write websocket is disconnected"));
  const size_t opens = standin.requests().all().size();
  runEventsFor(5 * retry);
  EXPECT_EQ(standin.requests().all().size(), opens);
  EXPECT_EQ(logCount("m_reTryflag"), 0);

  client->m_reTryflag = true;
  client->reconnect();
  client->wWsReconnect();
  EXPECT_TRUE(waitForLog("read websocket connect successful", 2));
  EXPECT_TRUE(waitForLog("write websocket connect successful", 2));
}

TEST_F(UwebsocketTest, TokenErrorOnEitherChannelIsReportedInsteadOfForwarded) {
  const struct {
    WebSocketChannel channel;
    const char* text;
    bool tokenError;
  } cases[] = {
      {WebSocketChannel::Read, R"({"meta":{"success":"false","message":"100009"},"data":null})", true},
      {WebSocketChannel::Write, R"(ack {"meta":{"success":"false","message":"100009"}} ack)", true},
      {WebSocketChannel::Read, R"({"meta" : {"success" : "false", "message" : "100009"}})", false},
      {WebSocketChannel::Read, R"({"meta":{"success":"true","message":""},"data":{"A1":{"1":"5"}}})", false},
      {WebSocketChannel::Write, R"({"meta":{"success":"true","message":"ok"}})", false},
  };
  const auto client = connectedClient();
  int tokenErrors = 0;
  QStringList forwarded;
  QObject::connect(client.get(), &uwebsocket::token_error_and_restart_app, [&] { ++tokenErrors; });
  QObject::connect(client.get(), &uwebsocket::getNewMessageSignal, [&](const QString& msg) { forwarded << msg; });

  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const int before = tokenErrors + forwarded.size();
    ASSERT_EQ(standin.webSockets().push(c.channel, c.text), 1u);
    ASSERT_TRUE(waitUntil([&] { return tokenErrors + forwarded.size() > before; }));
    runEventsFor(brief);
    EXPECT_EQ(tokenErrors + forwarded.size(), before + 1);
    EXPECT_EQ(forwarded.contains(c.text), !c.tokenError);
  }

  // A stale token draws the platform's token error.
  standin.data().rotateToken("13800000000");
  client->MessageHandleSlot(MsgOneDevice, "A1");
  EXPECT_TRUE(waitUntil([&] { return tokenErrors == 3; }));
}

TEST_F(UwebsocketTest, WritesWaitOutAChannelOutageAndLeaveAfterTheReconnect) {
  const auto client = connectedClient({never, retry, never});
  dropBothChannelsAndRefuseNewOnes();
  client->on_writeNewRealTimeValue("A1", 1, "5");
  client->on_writeNewRealTimeValue("B2", 1, "8");
  client->on_sendweb();
  client->on_writeNewRealTimeValue("A1", 1, "6");
  client->on_sendweb();
  EXPECT_THAT(logLines(), Contains(HasSubstr("write websocket is not connected, 2 writes kept for the next batch")));

  standin.webSockets().refuseUpgradesFor(std::chrono::milliseconds(0));
  ASSERT_TRUE(waitForLog("write websocket connect successful", 2));
  client->on_sendweb();
  ASSERT_TRUE(waitForFrames(WebSocketChannel::Write, 1));
  EXPECT_THAT(frames(WebSocketChannel::Write),
              ElementsAre(R"({"batch_flag":true,"data_list":[{"data":"6","data_code":"1","sn_code":"A1"},)"
                          R"({"data":"8","data_code":"1","sn_code":"B2"}],)"
                          R"("req_type":1,"user_id":1001,"user_token":"tok-abc123"})"
                          "\n"));
}

TEST_F(UwebsocketTest, ABatchIsSentAgainAfterALossUnlessTheNextPingWasAnswered) {
  const struct {
    const char* name;
    int liveness;
    std::vector<std::string> batchesAfterTheLoss;
  } cases[] = {
      {"confirmed", brief, {}},
      {"not confirmed", never,
       {R"({"batch_flag":true,"data_list":[{"data":"6","data_code":"1","sn_code":"A1"},)"
        R"({"data":"8","data_code":"2","sn_code":"A1"}],"req_type":1,"user_id":1001,"user_token":"tok-abc123"})"
        "\n"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    standin.frames().clear();
    const int connects = logCount("write websocket connect successful");
    const auto client = connectedClient({never, retry, never, c.liveness, never});
    ASSERT_TRUE(waitForLog("write websocket connect successful", connects + 1));
    client->on_writeNewRealTimeValue("A1", 1, "5");
    client->on_writeNewRealTimeValue("A1", 2, "8");
    client->on_sendweb();
    ASSERT_TRUE(waitForFrames(WebSocketChannel::Write, 1));
    if (c.liveness != never) {
      ASSERT_TRUE(waitForLog("2 writes confirmed"));
    }
    // A newer value of a variable replaces the unconfirmed one.
    client->on_writeNewRealTimeValue("A1", 1, "6");
    standin.webSockets().drop(WebSocketChannel::Write);
    ASSERT_TRUE(waitForLog("write websocket connect successful", connects + 2));
    standin.frames().clear();
    client->on_sendweb();
    client->on_sendweb();

    // The unconfirmed value of A1_1 was replaced, so it goes only if A1_2 goes again.
    const std::string newest =
        R"({"batch_flag":true,"data_list":[{"data":"6","data_code":"1","sn_code":"A1"}],"req_type":1,"user_id":1001,"user_token":"tok-abc123"})"
        "\n";
    ASSERT_TRUE(waitForFrames(WebSocketChannel::Write, 1));
    EXPECT_THAT(frames(WebSocketChannel::Write),
                ElementsAreArray(c.batchesAfterTheLoss.empty() ? std::vector<std::string>{newest} : c.batchesAfterTheLoss));
  }
}
