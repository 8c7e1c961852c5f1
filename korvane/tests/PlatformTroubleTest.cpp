// The program against a platform that goes away, hangs with its connections
// open, and comes back: the platform stand-in runs as a program of its own, so
// it can be killed, frozen and restarted on the same port.
#include <algorithm>
#include <string>

#include <QEventLoop>
#include <QPointer>
#include <QTimer>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "korvane.h"
#include "platform/opcda.h"
#include "support/bridgetest.h"
#include "support/messagecapture.h"
#include "support/recordingwindow.h"
#include "support/settingsfolder.h"
#include "support/standinprocess.h"
#include "support/variants.h"
#include "support/waituntil.h"
#include "ulogin.h"
#include "uwebsocket.h"

namespace {

// A1 is online, B2 offline; `values` are the variables' current values.
std::string tables(const std::string& values) {
  return R"({
  "users": [{"user_tel": "13800000000", "password": "demo123", "user_id": 1001, "token": "tok-abc123"}],
  "devices": [{"sn_code": "A1", "dev_state": 1}, {"sn_code": "B2", "dev_state": 0}],
  "configs": {
    "A1": [{"type_name": "Analog", "data": [
      {"sn_code": "A1", "data_name": "Temp", "data_type": 10, "data_writeable": 1, "data_code": 1, "dev_version": 0},
      {"sn_code": "A1", "data_name": "Flow", "data_type": 5, "data_writeable": 1, "data_code": 3, "dev_version": 0}]}],
    "B2": [{"type_name": "Counter", "data": [
      {"sn_code": "B2", "data_name": "Starts", "data_type": 0, "data_writeable": 1, "data_code": 1, "dev_version": 0}]}]
  },
  "values": )" + values + "}";
}

const std::string valuesBefore = R"({"A1": {"1": "23.5", "3": "120"}, "B2": {"1": "12"}})";
const std::string valuesAfter = R"({"A1": {"1": "30.5", "3": "121"}, "B2": {"1": "13"}})";

// Short enough for a platform's loss to be noticed and mended within a test.
constexpr WebSocketPeriods briefPeriods{50, 100, 3600 * 1000, 200, 1000};

class PlatformTroubleTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(standin.start(tables(valuesBefore)));
    useLoggedInProgram(standin.address(), registry);

    window = new RecordingWindow(briefPeriods);
    window->InitializeConfigData();
    client = window->webSocketClient();
    bridge = g_opcServer;
    ASSERT_NE(bridge, nullptr);
    QObject::connect(client, &uwebsocket::getNewMessageSignal, [this](const QString& msg) { messages << msg; });
    ASSERT_TRUE(waitForLog("read websocket connect successful"));
    ASSERT_TRUE(waitForLog("write websocket connect successful"));
  }

  void TearDown() override {
    delete window.data();
    delete client;
    delete g_opcServer;
    endLoggedInProgram();
  }

  int logCount(const QString& text) const {
    const QStringList lines = log.lines();
    return static_cast<int>(
        std::count_if(lines.begin(), lines.end(), [&](const QString& line) { return line.contains(text); }));
  }

  bool waitForLog(const QString& text, int times = 1) const {
    return waitUntil([&] { return logCount(text) >= times; });
  }

  DWORD handle(const char* name) const {
    for (const CTag* tag : bridge->tags())
      if (tag->name == QLatin1String(name)) return tag->handle;
    ADD_FAILURE() << "no tag " << name;
    return 0;
  }

  struct TagState {
    double value;
    WORD quality;
  };
  TagState tagState(const char* name) const {
    VARIANT value;
    VariantInit(&value);
    WORD quality = 0;
    FILETIME timestamp{};
    EXPECT_TRUE(ReadTagWithTimeStamp(handle(name), &value, &quality, &timestamp)) << name;
    VARIANT number;
    VariantInit(&number);
    VariantChangeType(&number, &value, 0, VT_R8);
    return {number.dblVal, quality};
  }

  // The quality an OPC client's read from the device gets.
  WORD deviceReadQuality(const char* name) const {
    VARIANT value;
    VariantInit(&value);
    WORD quality = 0;
    FILETIME timestamp{};
    DeviceReadProc(handle(name), &value, &quality, &timestamp);
    VariantClear(&value);
    return quality;
  }

  DWORD write(const char* name, VARIANT written) {
    DWORD result = 1;
    WriteNotificationProc(handle(name), &written, &result, const_cast<char*>("Unknown"));
    return result;
  }

  bool valuesArrived(double temp, double starts) const {
    return waitUntil([&] { return tagState("A1.Analog.Temp").value == temp && tagState("B2.Counter.Starts").value == starts; });
  }

  QTemporaryDir registry;
  SettingsFolder settings;
  MessageCapture log;
  StandinProcess standin;
  QPointer<RecordingWindow> window;
  uwebsocket* client = nullptr;
  korvane* bridge = nullptr;
  QStringList messages;
};

}  // namespace

TEST_F(PlatformTroubleTest, DuringAnOutageTagsKeepTheirLastValuesAsSuchAndAfterItTheirDevicesQuality) {
  bridge->intervalRefreshLabs();
  ASSERT_TRUE(valuesArrived(23.5, 12));

  standin.kill();
  ASSERT_TRUE(waitForLog("read websocket is disconnected"));
  // The device list cannot be had meanwhile.
  bridge->on_getDeviceStat();
  const struct {
    const char* name;
    double value;
  } kept[] = {{"A1.Analog.Temp", 23.5}, {"A1.Analog.Flow", 120}, {"B2.Counter.Starts", 12}};
  for (const auto& tag : kept) {
    EXPECT_EQ(tagState(tag.name).value, tag.value) << tag.name;
    EXPECT_EQ(tagState(tag.name).quality, korvane::LastKnownQuality) << tag.name;
    EXPECT_EQ(deviceReadQuality(tag.name), korvane::LastKnownQuality) << tag.name;
  }

  ASSERT_TRUE(standin.start(tables(valuesAfter)));
  ASSERT_TRUE(waitForLog("read websocket connect successful", 2));
  bridge->intervalRefreshLabs();
  ASSERT_TRUE(valuesArrived(30.5, 13));
  // The device states from before the outage decide at once.
  const struct {
    const char* name;
    WORD quality;
  } restored[] = {{"A1.Analog.Temp", OPC_QUALITY_GOOD}, {"A1.Analog.Flow", OPC_QUALITY_GOOD},
                  {"B2.Counter.Starts", OPC_QUALITY_BAD}};
  for (const auto& tag : restored) {
    EXPECT_EQ(tagState(tag.name).quality, tag.quality) << tag.name;
    EXPECT_EQ(deviceReadQuality(tag.name), tag.quality) << tag.name;
  }
}

TEST_F(PlatformTroubleTest, AHungPlatformIsNoticedAndTheWritesItNeverReadGoToItsRestart) {
  standin.freeze();
  EXPECT_EQ(write("A1.Analog.Temp", variantOf(VT_R4, 5)), 0u);
  EXPECT_EQ(write("A1.Analog.Flow", variantOf(VT_UI4, 70)), 0u);
  // The batch goes into the connection that nobody reads any more.
  ASSERT_TRUE(waitForLog(R"({"data":"5","data_code":"1","sn_code":"A1"})"));

  ASSERT_TRUE(waitForLog("read websocket is disconnected"));
  ASSERT_TRUE(waitForLog("write websocket is disconnected"));
  // A newer value replaces the one that was never confirmed.
  EXPECT_EQ(write("A1.Analog.Temp", variantOf(VT_R4, 6)), 0u);

  const int before = messages.size();
  ASSERT_TRUE(standin.start(tables(valuesBefore)));
  // The restarted platform stores the writes and echoes them.
  ASSERT_TRUE(waitUntil([&] {
    return std::any_of(messages.begin() + before, messages.end(),
                       [](const QString& msg) { return msg.contains(R"("A1":{"1":"6","3":"70"})"); });
  }));
  EXPECT_TRUE(std::none_of(messages.begin() + before, messages.end(),
                           [](const QString& msg) { return msg.contains(R"("1":"5")"); }));
}

// A platform frozen with its connections open: while the bridge waits for the
// device list, the event loop keeps running, so the silent channels are
// noticed lost before that wait has even ended; the request's own time limit
// ends it with nothing, and the last device states stay.
TEST_F(PlatformTroubleTest, WhileARequestWaitsForAFrozenPlatformTheProgramKeepsRunning) {
  standin.freeze();
  int ticks = 0;
  QTimer zeroTimer;
  QObject::connect(&zeroTimer, &QTimer::timeout, [&ticks] { ++ticks; });
  zeroTimer.start(0);
  QStringList lists;
  QObject::connect(bridge, &korvane::curAllDeviceStat, [&lists](const QString& list) { lists << list; });

  bridge->on_getDeviceStat();
  EXPECT_GT(ticks, 100);
  EXPECT_EQ(logCount("read websocket is disconnected"), 1);
  EXPECT_EQ(logCount("write websocket is disconnected"), 1);
  EXPECT_EQ(lists, QStringList{QString()});
  EXPECT_EQ(deviceReadQuality("A1.Analog.Temp"), korvane::LastKnownQuality);
}

// Quitting with the platform gone: the writes cannot be confirmed, and the
// program ends all the same once its wait for them is over.
TEST_F(PlatformTroubleTest, QuittingWhileThePlatformIsDownEndsAfterItsWaitForTheWrites) {
  standin.kill();
  ASSERT_TRUE(waitForLog("write websocket is disconnected"));
  EXPECT_EQ(write("A1.Analog.Temp", variantOf(VT_R4, 5)), 0u);
  g_mainWindow = window;

  QEventLoop loop;
  QTimer::singleShot(10000, &loop, [&] { loop.exit(1); });
  window->AppQuit();
  EXPECT_EQ(loop.exec(), 0);
  EXPECT_TRUE(window.isNull());
  EXPECT_EQ(logCount("quitting with writes the platform has not confirmed"), 1);
}
