#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include <QAction>
#include <QApplication>
#include <QEventLoop>
#include <QMenu>
#include <QPointer>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTimer>
#include <QtTest/QTest>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "korvane.h"
#include "modalboxcloser.h"
#include "platform/registrystore.h"
#include "loginsession.h"
#include "support/bridgetest.h"
#include "support/recordingwindow.h"
#include "support/settingsfolder.h"
#include "support/variants.h"
#include "support/waituntil.h"
#include "ulogin.h"
#include "uwebsocket.h"
#include "zelvoopcsrv.h"

using ::testing::ElementsAre;
using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::UnorderedElementsAre;

namespace {

const char* const tokenError = R"({"meta":{"success":"false","message":"100009"},"data":null})";

class ZelvoOpcSrvTest : public BridgeTest {
protected:
  void TearDown() override {
    delete window.data();
    delete client;
    delete g_opcServer;
    BridgeTest::TearDown();
  }

  void configure() {
    window->InitializeConfigData();
    client = window->webSocketClient();
  }

  // Periods short enough for the channels to come back and the re-login's
  // waits to reach their longest within a test.
  void useBriefPeriods() {
    delete window.data();
    WebSocketPeriods brief{50, 100, 3600 * 1000, 200, 1000};
    brief.reloginFirst = 20;
    brief.reloginLongest = 80;
    window = new RecordingWindow(brief);
  }

  // The waits before each login after a token error, as logged, in order.
  std::vector<int> reloginWaits() const {
    static const QRegularExpression wait(QStringLiteral("token error: logging in again in (\\d+) ms"));
    std::vector<int> waits;
    for (const QString& line : log.lines()) {
      const QRegularExpressionMatch match = wait.match(line);
      if (match.hasMatch()) waits.push_back(match.captured(1).toInt());
    }
    return waits;
  }

  DWORD handleOf(const char* name) const {
    for (const CTag* tag : g_opcServer->tags())
      if (tag->name == QLatin1String(name)) return tag->handle;
    ADD_FAILURE() << "no tag " << name;
    return 0;
  }

  bool waitForLog(const QString& text, int times = 1) {
    return waitUntil([&] { return logCount(text) >= times; });
  }

  QAction* menuAction(const QString& text) const {
    for (QAction* action : window->trayIcon()->contextMenu()->actions())
      if (action->text() == text) return action;
    return nullptr;
  }

  // The window's settings page reads config.ini and usr.ini.
  SettingsFolder settings;
  QPointer<RecordingWindow> window = new RecordingWindow;
  uwebsocket* client = nullptr;
};

}  // namespace

TEST_F(ZelvoOpcSrvTest, ConfigurationStepTakesTheDevicesInSerialOrderAndGivesBothPartsTheirVariables) {
  configure();

  std::vector<std::string> platformRequests;
  for (const RecordedRequest& request : standin.requests().all())
    if (request.requestLine.find("/ZirOrurodaz/") != std::string::npos &&
        request.requestLine.find("ebsocket") == std::string::npos)
      platformRequests.push_back(request.requestLine);
  // The device list replies B2 first; the configurations are fetched side by
  // side; the bridge then fetches the list for the device states.
  ASSERT_EQ(platformRequests.size(), 4u);
  EXPECT_EQ(platformRequests.front(), "GET /ZirOrurodaz/dev?usePage=false HTTP/1.1");
  EXPECT_THAT(std::vector<std::string>(platformRequests.begin() + 1, platformRequests.begin() + 3),
              UnorderedElementsAre("GET /ZirOrurodaz/rDev/config/A1 HTTP/1.1", "GET /ZirOrurodaz/rDev/config/B2 HTTP/1.1"));
  EXPECT_EQ(platformRequests.back(), "GET /ZirOrurodaz/dev?usePage=false HTTP/1.1");
  EXPECT_EQ(logCount("[all device- num:2 sn->]: (A1, B2)"), 1);
  EXPECT_EQ(logCount("[size of inofs:] 2"), 1);
  EXPECT_FALSE(window->isVisible());

  ASSERT_NE(g_opcServer, nullptr);
  QStringList names;
  for (const CTag* tag : g_opcServer->tags()) names.append(tag->name);
  EXPECT_THAT(names, ElementsAre("A1.Analog.Temp", "A1.Analog.Level", "A1.Analog.Flow", "A1.Switch.Pump",
                                 "B2.Counter.Starts", "B2.Counter.Serial"));
  ASSERT_TRUE(waitForLog("read websocket connect successful"));
  client->MessageHandleSlot(MsgAllDevices, QString());
  ASSERT_TRUE(waitUntil([&] { return frames(WebSocketChannel::Read).size() == 6; }));
  EXPECT_THAT(frames(WebSocketChannel::Read)[5], HasSubstr(R"("sn_code":"B2","data_code":"2")"));
}

TEST_F(ZelvoOpcSrvTest, ConfigurationStepConnectsTheBridgeTheClientTheWindowAndItsContent) {
  configure();
  korvane* bridge = g_opcServer;
  ASSERT_TRUE(waitForLog("read websocket connect successful"));
  ASSERT_TRUE(waitForLog("write websocket connect successful"));

  // Bridge asks, client requests, the platform answers, the bridge stores.
  bridge->intervalRefreshLabs();
  ASSERT_TRUE(waitUntil([&] {
    VARIANT value;
    VariantInit(&value);
    return ReadTag(bridge->tags()[0]->handle, &value) && value.fltVal == 23.5f;
  }));
  // The second device's request may still be on its way when the first answer lands.
  ASSERT_TRUE(waitUntil([&] { return frames(WebSocketChannel::Read).size() >= 2; }));
  EXPECT_THAT(frames(WebSocketChannel::Read),
              ElementsAre(HasSubstr(R"("sn_code":"A1","data_code":"")"), HasSubstr(R"("sn_code":"B2","data_code":"")")));

  // A client's write goes out in the next batch.
  VARIANT off = variantOf(VT_BOOL, 0);
  DWORD result = 1;
  WriteNotificationProc(bridge->tags()[3]->handle, &off, &result, const_cast<char*>("Unknown"));
  EXPECT_EQ(result, 0u);
  ASSERT_TRUE(waitUntil([&] { return !frames(WebSocketChannel::Write).empty(); }));
  EXPECT_THAT(frames(WebSocketChannel::Write), Contains(HasSubstr(R"("data_list":[{"data":"0","data_code":"10","sn_code":"A1"}])")));

  // The device list reaches the device-state page of the window's content.
  auto* deviceStates = window->findChild<QTableWidget*>("tableWidget");
  EXPECT_EQ(deviceStates->rowCount(), 0);
  bridge->on_getDeviceStat();
  ASSERT_EQ(deviceStates->rowCount(), 2);
  EXPECT_EQ(deviceStates->item(0, 0)->text(), "A1");
  EXPECT_EQ(deviceStates->item(0, 2)->text(), "onLine");

  // The platform's token error logs in again.
  // Sent once the stand-in lists the connection (the client may hear of it first).
  ASSERT_TRUE(waitUntil([&] { return standin.webSockets().push(WebSocketChannel::Read, tokenError) == 1; }));
  ASSERT_TRUE(waitUntil([&] { return requestsTo("POST /ZirOrurodaz/login HTTP/1.1") == 1; }));
}

TEST_F(ZelvoOpcSrvTest, AnAccountWithoutDevicesStillGetsTheClientAndTheBridge) {
  standin.replies().set(StandinEndpoint::DeviceList,
                        ScriptedReply::rawText(R"({"meta":{"success":"true","message":"ok"},"data":{"total":0,"rows":[]}})"));
  configure();
  EXPECT_EQ(logCount("[all device- num:0 sn->]: ()"), 1);
  EXPECT_EQ(logCount("[size of inofs:] 0"), 1);
  ASSERT_NE(client, nullptr);
  ASSERT_NE(g_opcServer, nullptr);
  EXPECT_TRUE(g_opcServer->tags().isEmpty());
  EXPECT_TRUE(waitForLog("read websocket connect successful"));
}

TEST_F(ZelvoOpcSrvTest, ADeviceWhoseConfigurationCannotBeHadGetsItsTagsFromALaterDeviceList) {
  standin.replies().set(StandinEndpoint::DeviceConfig, ScriptedReply::closeConnection());
  configure();
  EXPECT_EQ(logCount("[size of inofs:] 2"), 1);
  EXPECT_TRUE(g_opcServer->tags().isEmpty());
  EXPECT_THAT(g_opcServer->devicesWithoutTags(), ElementsAre("A1", "B2"));

  // Still failing: asked for again at the next list.
  g_opcServer->on_getDeviceStat();
  EXPECT_TRUE(g_opcServer->tags().isEmpty());
  standin.replies().set(StandinEndpoint::DeviceConfig, ScriptedReply::rawText("<html>Bad Gateway</html>", 502));
  g_opcServer->on_getDeviceStat();
  EXPECT_TRUE(g_opcServer->tags().isEmpty());
  // Every device without tags is asked for in each round, side by side.
  EXPECT_EQ(requestsTo("GET /ZirOrurodaz/rDev/config/B2 HTTP/1.1"), 3);

  standin.replies().clear(StandinEndpoint::DeviceConfig);
  g_opcServer->on_getDeviceStat();
  QStringList names;
  for (const CTag* tag : g_opcServer->tags()) names << tag->name;
  EXPECT_THAT(names, ElementsAre("A1.Analog.Temp", "A1.Analog.Level", "A1.Analog.Flow", "A1.Switch.Pump",
                                 "B2.Counter.Starts", "B2.Counter.Serial"));
  EXPECT_TRUE(g_opcServer->devicesWithoutTags().isEmpty());

  g_opcServer->on_getDeviceStat();
  EXPECT_EQ(g_opcServer->tags().size(), 6);
  EXPECT_EQ(requestsTo("GET /ZirOrurodaz/rDev/config/B2 HTTP/1.1"), 4);
}

TEST_F(ZelvoOpcSrvTest, TrayClickShowsTheNumberOfConnectedClientsAndDoubleClickOpensTheWindow) {
  EXPECT_TRUE(window->trayIcon()->isVisible());
  EXPECT_FALSE(window->isVisible());

  window->on_activatedSysTrayIcon(QSystemTrayIcon::Trigger);
  window->on_activatedSysTrayIcon(QSystemTrayIcon::Context);
  ASSERT_EQ(window->balloons.size(), 1u);
  EXPECT_EQ(window->balloons[0].title, "ZelvoOPC");
  EXPECT_EQ(window->balloons[0].text, "connected clients:0");
  EXPECT_EQ(window->balloons[0].icon, QSystemTrayIcon::Information);
  EXPECT_EQ(window->balloons[0].displayMs, 10000);
  EXPECT_FALSE(window->isVisible());

  window->on_activatedSysTrayIcon(QSystemTrayIcon::DoubleClick);
  EXPECT_TRUE(window->isVisible());
  window->hide();
  menuAction("Open Window")->trigger();
  EXPECT_TRUE(window->isVisible());
}

TEST_F(ZelvoOpcSrvTest, ClosingOnlyHidesTheWindowWhileTheTrayIconShows) {
  window->show();
  EXPECT_FALSE(window->close());
  EXPECT_FALSE(window->isVisible());

  window->trayIcon()->hide();
  window->show();
  EXPECT_TRUE(window->close());
  EXPECT_FALSE(window->isVisible());
  EXPECT_FALSE(window.isNull());
}

// After a token error the program logs in again for as long as it takes,
// each failed login waiting longer, up to the longest wait; then it reopens
// both channels, and a client write accepted meanwhile goes out with the new
// session.
TEST_F(ZelvoOpcSrvTest, AfterATokenErrorLoginsGoOnWithGrowingWaitsAndTheWritesKeptGoOutAfterwards) {
  useBriefPeriods();
  configure();
  ASSERT_TRUE(waitForLog("read websocket connect successful"));
  ASSERT_TRUE(waitForLog("write websocket connect successful"));
  standin.replies().set(StandinEndpoint::Login,
                        ScriptedReply::rawText(R"({"meta":{"success":"false","message":"110003"},"data":null})"));
  const std::string newToken = standin.data().rotateToken("13800000000").value();

  // Sent once the stand-in lists the connection (the client may hear of it first).
  ASSERT_TRUE(waitUntil([&] { return standin.webSockets().push(WebSocketChannel::Read, tokenError) == 1; }));
  ASSERT_TRUE(waitForLog("token error: logging in again in 80 ms", 2));
  EXPECT_THAT(reloginWaits(), ElementsAre(0, 20, 40, 80, 80));
  ASSERT_TRUE(waitForLog("read websocket is disconnected"));
  EXPECT_FALSE(client->m_reTryflag);
  EXPECT_EQ(g_session.success, "false");
  EXPECT_EQ(g_session.user, "13800000000");
  VARIANT five = variantOf(VT_R4, 5);
  DWORD result = 1;
  WriteNotificationProc(handleOf("A1.Analog.Temp"), &five, &result, const_cast<char*>("Unknown"));
  EXPECT_EQ(result, 0u);

  standin.replies().clear(StandinEndpoint::Login);
  ASSERT_TRUE(waitForLog("read websocket connect successful", 2));
  ASSERT_TRUE(waitForLog("write websocket connect successful", 2));
  EXPECT_EQ(g_session.token.toStdString(), newToken);
  ASSERT_TRUE(waitUntil([&] {
    const std::vector<std::string> batches = frames(WebSocketChannel::Write);
    return std::any_of(batches.begin(), batches.end(), [&](const std::string& batch) {
      return batch.find(R"({"data":"5","data_code":"1","sn_code":"A1"})") != std::string::npos &&
             batch.find(newToken) != std::string::npos;
    });
  }));
}

// A platform that takes the login but refuses the session again at once
// slows the program down the same way; the first message it sends that is no
// token error ends the slowing down.
TEST_F(ZelvoOpcSrvTest, TokenErrorsInARowMakeTheWaitsGrowUntilThePlatformSendsSomethingElse) {
  useBriefPeriods();
  configure();
  ASSERT_TRUE(waitForLog("read websocket connect successful"));
  int platformMessages = 0;
  QObject::connect(client, &uwebsocket::getNewMessageSignal, [&] { ++platformMessages; });
  standin.webSockets().greetNewConnections(WebSocketChannel::Read, tokenError);

  ASSERT_TRUE(waitUntil([&] { return standin.webSockets().push(WebSocketChannel::Read, tokenError) == 1; }));
  ASSERT_TRUE(waitForLog("token error: logging in again in 80 ms", 2));
  EXPECT_THAT(reloginWaits(), ElementsAre(0, 20, 40, 80, 80));
  EXPECT_EQ(platformMessages, 0);

  standin.webSockets().greetNewConnections(WebSocketChannel::Read, std::nullopt);
  ASSERT_TRUE(waitUntil([&] {
    standin.pushValues("A1");
    return platformMessages > 0;
  }));
  const size_t waitsBefore = reloginWaits().size();
  ASSERT_TRUE(waitUntil([&] { return standin.webSockets().push(WebSocketChannel::Read, tokenError) == 1; }));
  ASSERT_TRUE(waitUntil([&] { return reloginWaits().size() > waitsBefore; }));
  EXPECT_EQ(reloginWaits()[waitsBefore], 0);
}

TEST_F(ZelvoOpcSrvTest, QuitApplicationDestroysTheWindowAndEndsTheEventLoop) {
  g_mainWindow = window;
  QEventLoop loop;
  QTimer::singleShot(10000, &loop, [&] { loop.exit(1); });
  menuAction("Quit Application")->trigger();
  EXPECT_EQ(loop.exec(), 0);
  EXPECT_TRUE(window.isNull());
  EXPECT_EQ(g_mainWindow, nullptr);
}

// "Quit Application" answers while the configuration step waits for a hung
// platform; the window goes once that step has returned.
TEST_F(ZelvoOpcSrvTest, QuitDuringTheConfigurationStepEndsItsWaitAndTheWindowGoesAfterIt) {
  standin.replies().set(StandinEndpoint::DeviceConfig, ScriptedReply::silent());
  g_mainWindow = window;
  QTimer::singleShot(100, window, [this] { menuAction("Quit Application")->trigger(); });

  configure();
  EXPECT_EQ(g_mainWindow, nullptr);
  EXPECT_FALSE(window.isNull());
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(window.isNull());
}

// A write the OPC client was told is done reaches the platform before the
// program ends, even when the next batch was not due yet.
TEST_F(ZelvoOpcSrvTest, QuittingSendsThePendingWritesFirst) {
  configure();
  ASSERT_TRUE(waitForLog("write websocket connect successful"));
  g_mainWindow = window;
  VARIANT seven = variantOf(VT_R4, 7);
  DWORD result = 1;
  WriteNotificationProc(handleOf("A1.Analog.Temp"), &seven, &result, const_cast<char*>("Unknown"));
  ASSERT_EQ(result, 0u);

  QEventLoop loop;
  QTimer::singleShot(10000, &loop, [&] { loop.exit(1); });
  menuAction("Quit Application")->trigger();
  EXPECT_EQ(loop.exec(), 0);
  EXPECT_TRUE(window.isNull());
  EXPECT_THAT(frames(WebSocketChannel::Write), Contains(HasSubstr(R"({"data":"7","data_code":"1","sn_code":"A1"})")));
}

TEST_F(ZelvoOpcSrvTest, EscapeHidesTheOpenWindowAndTheProgramRunsOn) {
  // The application quits when its last window closes only while its event
  // loop runs, so the key is pressed inside the running loop.
  struct QuitWatch : QObject {
    bool quitAsked = false;
    bool eventFilter(QObject*, QEvent* event) override {
      if (event->type() == QEvent::Quit) quitAsked = true;
      return false;
    }
  } watch;
  qApp->installEventFilter(&watch);
  QTimer::singleShot(0, window, [&] {
    menuAction("Open Window")->trigger();
    QTest::keyClick(window, Qt::Key_Escape);
    // Posted after whatever the key press posted.
    QMetaObject::invokeMethod(qApp, [] { QCoreApplication::exit(7); }, Qt::QueuedConnection);
  });
  const int exitCode = QApplication::exec();
  qApp->removeEventFilter(&watch);

  EXPECT_FALSE(watch.quitAsked);
  EXPECT_EQ(exitCode, 7);
  ASSERT_FALSE(window.isNull());
  EXPECT_FALSE(window->isVisible());
  menuAction("Open Window")->trigger();
  EXPECT_TRUE(window->isVisible());
}

TEST_F(ZelvoOpcSrvTest, ATokenErrorDuringTheReloginIsNotAnsweredWithASecondRelogin) {
  configure();
  ASSERT_TRUE(waitForLog("read websocket connect successful"));
  standin.replies().set(StandinEndpoint::Login, ScriptedReply::delayed(std::chrono::milliseconds(300)));
  // Comes while the first re-login waits for its reply.
  QTimer::singleShot(0, client, [this] { emit client->token_error_and_restart_app(); });
  window->on_token_error_and_restart_app();
  runEventsFor(100);

  EXPECT_EQ(requestsTo("POST /ZirOrurodaz/login HTTP/1.1"), 1);
  EXPECT_EQ(g_session.token, "tok-abc123");
  EXPECT_TRUE(waitForLog("read websocket connect successful", 2));
}

TEST_F(ZelvoOpcSrvTest, WithoutASystemTrayTheWindowShowsAfterConfigurationAndClosingItEndsTheProgram) {
  // The offscreen platform, like a desktop without a tray, has none.
  ASSERT_FALSE(QSystemTrayIcon::isSystemTrayAvailable());
  delete window.data();
  QPointer<ZelvoOpcSrv> trayless = new ZelvoOpcSrv;
  g_mainWindow = trayless;
  EXPECT_FALSE(trayless->isVisible());
  trayless->InitializeConfigData();
  client = trayless->webSocketClient();
  EXPECT_TRUE(trayless->isVisible());

  QEventLoop loop;
  QTimer::singleShot(10000, &loop, [&] { loop.exit(1); });
  QTimer::singleShot(0, trayless, [&] { trayless->close(); });
  EXPECT_EQ(loop.exec(), 0);
  EXPECT_TRUE(trayless.isNull());
  EXPECT_EQ(g_mainWindow, nullptr);
}

TEST_F(ZelvoOpcSrvTest, ARegistrationThatCannotBeWrittenIsLoggedAndShownWithItsReason) {
  RegistryStore::Instance().SetRefuseWrites(true);
  ModalBoxCloser closer;
  configure();
  RegistryStore::Instance().SetRefuseWrites(false);

  ASSERT_EQ(closer.closedBoxes().size(), 1);
  const ModalBoxCloser::ClosedBox& box = closer.closedBoxes().first();
  EXPECT_EQ(box.icon, QMessageBox::Warning);
  EXPECT_EQ(box.text,
            "The OPC server could not be registered: Access is denied. (error 5)\nNo OPC items are published.");
  EXPECT_EQ(logCount("The OPC server could not be registered: Access is denied."), 1);
  EXPECT_TRUE(g_opcServer->tags().isEmpty());
}
