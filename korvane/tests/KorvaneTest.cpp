#include <atomic>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include <QSignalSpy>
#include <QTimer>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "korvane.h"
#include "configfile.h"
#include "platform/opcda.h"
#include "platform/opcerror.h"
#include "platform/registrystore.h"
#include "platform/wintime.h"
#include "support/bridgetest.h"
#include "support/debuglinesoff.h"
#include "support/variants.h"
#include "support/waituntil.h"

using ::testing::ElementsAre;

namespace {

DataInfo variable(const char* sn, const char* name, int type, int writeable, int code, int version = 0) {
  DataInfo info;
  info.sn_code = sn;
  info.data_name = name;
  info.data_type = type;
  info.data_writeable = writeable;
  info.data_code = code;
  info.dev_version = version;
  return info;
}

DataGroup group(const char* sn, const char* typeName, const QList<DataInfo>& variables) {
  return {sn, static_cast<qint32>(variables.size()), typeName, variables};
}

DevConfig device(const char* sn, const QList<DataGroup>& groups) {
  return {sn, static_cast<qint32>(groups.size()), groups};
}

// A1 is online and B2 offline in the stand-in's device list; D4 is not in it.
const QList<DevConfig> configs = {
    device("A1", {group("A1", "Analog",
                        {variable("A1", "Temp", 10, 1, 1), variable("A1", "Level", 2, 2, 2, 1),
                         variable("A1", "Flow", 5, 2, 3), variable("A1", "Pressure", 7, 1, 4),
                         variable("A1", "Limit", 7, 0, 5)}),
                  group("A1", "Switch", {variable("A1", "Pump", -1, 2, 10), variable("A1", "Odd", 2, 1, 11)})}),
    device("B2", {group("B2", "Counter", {variable("B2", "Starts", 0, 1, 1)})}),
    device("D4", {group("D4", "Misc.Part", {variable("D4", "Hours", 3, 1, 1)})}),
    device("E5", {}),
};

QString pushed(const char* values) {
  return QStringLiteral(R"({"meta":{"success":"true","message":""},"data":%1})").arg(QLatin1String(values));
}

class KorvaneTest : public BridgeTest {
protected:
  void SetUp() override {
    BridgeTest::SetUp();
    bridge = std::make_unique<korvane>(configs);
    setOpcServer(bridge.get());
  }

  void TearDown() override {
    bridge.reset();
    BridgeTest::TearDown();
  }

  CTag* tag(const char* name) const {
    for (CTag* record : bridge->tags())
      if (record->name == QLatin1String(name)) return record;
    ADD_FAILURE() << "no record " << name;
    return nullptr;
  }

  DWORD handle(const char* name) const { return tag(name)->handle; }

  DWORD write(const char* name, VARIANT written) {
    DWORD result = 0;
    WriteNotificationProc(handle(name), &written, &result, const_cast<char*>("Unknown"));
    return result;
  }

  std::unique_ptr<korvane> bridge;
};

}  // namespace

TEST_F(KorvaneTest, TagsTakeTheirNamesTypesRightsAndQualityFromTheConfigurationAndTheDeviceList) {
  bridge->addTagsForRealTimeData(configs);

  const struct {
    const char* name;
    int typeCode;
    VARTYPE type;
    DWORD writeLevel;
    WORD quality;
  } cases[] = {
      {"A1.Analog.Temp", 10, VT_R4, 0x10000, OPC_QUALITY_GOOD},
      {"A1.Analog.Level", 6, VT_I2, 0x10000, OPC_QUALITY_GOOD},
      {"A1.Analog.Flow", 5, VT_UI4, 0x10000, OPC_QUALITY_GOOD},
      {"A1.Analog.Pressure", 7, VT_I4, 0x10000, OPC_QUALITY_GOOD},
      {"A1.Analog.Limit", 7, VT_I4, 0, OPC_QUALITY_GOOD},
      {"A1.Switch.Pump", -1, VT_BOOL, 0x10000, OPC_QUALITY_GOOD},
      // A code the bridge cannot convert: a real zero that is never updated, so bad quality.
      {"A1.Switch.Odd", 2, VT_R8, 0x10000, OPC_QUALITY_BAD},
      {"B2.Counter.Starts", 0, VT_UI2, 0x10000, OPC_QUALITY_BAD},
      {"D4.Misc.Part.Hours", 3, VT_UI4, 0x10000, OPC_QUALITY_BAD},
  };
  const QList<CTag*> tags = bridge->tags();
  ASSERT_EQ(tags.size(), static_cast<int>(std::size(cases)));
  for (int i = 0; i < tags.size(); ++i) {
    const auto& c = cases[i];
    const CTag& record = *tags[i];
    EXPECT_EQ(record.name.toStdString(), c.name);
    EXPECT_TRUE(record.created()) << c.name;
    EXPECT_EQ(record.typeCode, c.typeCode) << c.name;
    EXPECT_EQ(record.readLevel, 0x10000u) << c.name;
    EXPECT_EQ(record.writeLevel, c.writeLevel) << c.name;
    EXPECT_EQ(record.state, CTag::InStep) << c.name;
    const TagState state = tagState(record.handle);
    EXPECT_TRUE(state.found) << c.name;
    EXPECT_EQ(state.value.vt, c.type) << c.name;
    EXPECT_EQ(state.value.llVal, 0) << c.name;
    EXPECT_EQ(state.quality, c.quality) << c.name;
  }
  // Each creation line names its item.
  EXPECT_EQ(logCount("> tag: A1.Analog.Level ver:1 data_type_tmp:2 data_type:6"), 1);
  EXPECT_EQ(logCount("> A1.Analog.Level data_type:6 dev_version:1"), 1);

  const QMap<QString, DevTags> devices = bridge->deviceTags();
  // E5's empty configuration may be a failed request: it counts as a device without tags.
  EXPECT_THAT(devices.keys(), ElementsAre("A1", "B2", "D4"));
  EXPECT_EQ(devices.value("A1").count, 7);
  EXPECT_EQ(devices.value("A1").tags, tags.mid(0, 7));
  EXPECT_EQ(devices.value("D4").tags, tags.mid(8, 1));

  // A device that has its tags does not get them again.
  bridge->addTagsForRealTimeData(configs);
  EXPECT_EQ(bridge->tags(), tags);
}

TEST_F(KorvaneTest, AVariableWhoseTagTheToolkitRefusesTakesNoPartInUpdatesOrCallbacks) {
  // Two variables of one name: the toolkit takes the first only.
  const QList<DevConfig> twice = {
      device("A1", {group("A1", "G", {variable("A1", "X", 7, 1, 1), variable("A1", "X", 7, 1, 2)})})};
  bridge->addTagsForRealTimeData(twice);
  const QList<CTag*> tags = bridge->tags();
  ASSERT_EQ(tags.size(), 2);
  ASSERT_TRUE(tags[0]->created());
  EXPECT_FALSE(tags[1]->created());
  EXPECT_EQ(logCount("tag not created:A1.G.X"), 1);

  bridge->getNewMessageSlot(pushed(R"({"A1":{"1":"5","2":"6"}})"));
  EXPECT_EQ(tagState(tags[0]->handle).value.lVal, 5);

  VARIANT written = variantOf(VT_I4, 9);
  DWORD result = 0;
  WriteNotificationProc(VORLIX_INVALID_TAG, &written, &result, const_cast<char*>("Unknown"));
  EXPECT_EQ(result, static_cast<DWORD>(OPC_E_INVALIDHANDLE));
  WORD quality = OPC_QUALITY_GOOD;
  FILETIME timestamp{};
  DeviceReadProc(VORLIX_INVALID_TAG, &written, &quality, &timestamp);
  EXPECT_EQ(quality, OPC_QUALITY_BAD);
}

TEST_F(KorvaneTest, PushedValuesReachTheirTagsWithTheQualityOfTheirDevice) {
  bridge->addTagsForRealTimeData(configs);
  bridge->getNewMessageSlot(pushed(R"({"A1":{"1":"23.5","2":"abc","3":"70000","10":"5","11":"9"}})"));
  bridge->getNewMessageSlot(pushed(R"({"B2":{"1":"12"}})"));
  bridge->getNewMessageSlot(pushed(R"({"D4":{"1":"3"}})"));

  const struct {
    const char* name;
    LONGLONG bits;
    WORD quality;
  } cases[] = {
      {"A1.Analog.Level", 0, OPC_QUALITY_BAD},  // "abc"
      {"A1.Analog.Flow", 70000, OPC_QUALITY_GOOD},
      {"A1.Switch.Pump", 0xFFFF, OPC_QUALITY_GOOD},  // VARIANT_TRUE
      {"A1.Switch.Odd", 0, OPC_QUALITY_BAD},         // not converted
      {"B2.Counter.Starts", 12, OPC_QUALITY_BAD},    // offline
      {"D4.Misc.Part.Hours", 3, OPC_QUALITY_BAD},    // not in the device list
  };
  for (const auto& c : cases) {
    const TagState state = tagState(handle(c.name));
    EXPECT_EQ(state.value.llVal, c.bits) << c.name;
    EXPECT_EQ(state.quality, c.quality) << c.name;
  }
  EXPECT_EQ(tagState(handle("A1.Analog.Temp")).value.fltVal, 23.5f);
  EXPECT_EQ(tagState(handle("A1.Switch.Odd")).value.vt, VT_R8);
}

TEST_F(KorvaneTest, APushedTextThatIsNoValueOfTheTagsTypeKeepsTheLastValueWithBadQuality) {
  bridge->addTagsForRealTimeData(configs);
  const char* const lastValues = R"({"A1":{"1":"2.5","2":"7","3":"9","4":"11","10":"1"}})";
  const struct {
    const char* name;
    const char* values;  // the device's object of the message
  } cases[] = {
      {"A1.Analog.Level", R"({"A1":{"2":"abc"}})"},   {"A1.Analog.Level", R"({"A1":{"2":"70000"}})"},
      {"A1.Analog.Level", R"({"A1":{"2":"1.9"}})"},   {"A1.Analog.Level", R"({"A1":{"2":70000}})"},
      {"A1.Analog.Flow", R"({"A1":{"3":"-1"}})"},     {"A1.Analog.Pressure", R"({"A1":{"4":"NaN"}})"},
      {"A1.Analog.Pressure", R"({"A1":{"4":"inf"}})"}, {"A1.Analog.Temp", R"({"A1":{"1":"1e308"}})"},
      {"A1.Analog.Temp", R"({"A1":{"1":"abc"}})"},    {"A1.Switch.Pump", R"({"A1":{"10":"yes"}})"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.values);
    bridge->getNewMessageSlot(pushed(lastValues));
    const TagState before = tagState(handle(c.name));
    ASSERT_EQ(before.quality, OPC_QUALITY_GOOD);
    const int linesBefore = logCount("not of the tag's type");

    bridge->getNewMessageSlot(pushed(c.values));
    const TagState after = tagState(handle(c.name));
    EXPECT_EQ(after.value.vt, before.value.vt);
    EXPECT_EQ(after.value.llVal, before.value.llVal);
    EXPECT_EQ(after.quality, OPC_QUALITY_BAD);
    EXPECT_EQ(logCount("not of the tag's type"), linesBefore + 1);
    EXPECT_TRUE(log.lines().last().contains(QString::fromLatin1(c.name) + "=\""));
  }

  // Readable values bring good quality back.
  const struct {
    const char* values;
    const char* name;
    LONGLONG bits;
  } readable[] = {
      {R"({"A1":{"10":"false"}})", "A1.Switch.Pump", 0},
      {R"({"A1":{"10":"true"}})", "A1.Switch.Pump", 0xFFFF},
      {R"({"A1":{"2":-300}})", "A1.Analog.Level", 0xFED4},
      {R"({"A1":{"3":70000}})", "A1.Analog.Flow", 70000},
  };
  for (const auto& c : readable) {
    SCOPED_TRACE(c.values);
    bridge->getNewMessageSlot(pushed(c.values));
    const TagState state = tagState(handle(c.name));
    EXPECT_EQ(state.value.llVal, c.bits);
    EXPECT_EQ(state.quality, OPC_QUALITY_GOOD);
  }
  bridge->getNewMessageSlot(pushed(R"({"A1":{"1":23.25}})"));
  EXPECT_EQ(tagState(handle("A1.Analog.Temp")).value.fltVal, 23.25f);
}

TEST_F(KorvaneTest, OneLineNamesTheChangedValuesOfAMessageOnlyWhileDebugLinesAreShown) {
  bridge->addTagsForRealTimeData(configs);
  bridge->getNewMessageSlot(pushed(R"({"A1":{"1":"23.5","2":"-7","3":"70000","10":"1","11":"9"}})"));
  EXPECT_EQ(logCount("> [tag values] quality 192: A1.Analog.Temp=23.5 A1.Analog.Level=-7 A1.Analog.Flow=70000 "
                     "A1.Switch.Pump=1"),
            1);

  // The same values again (a refresh's answer after a push) name nothing;
  // of a message with one change, only that value is named.
  bridge->getNewMessageSlot(pushed(R"({"A1":{"1":"23.5","2":"-7","3":"70000","10":"1","11":"9"}})"));
  EXPECT_EQ(logCount("[tag values]"), 1);
  bridge->getNewMessageSlot(pushed(R"({"A1":{"1":"23.5","2":"-6","3":"70000","10":"1","11":"9"}})"));
  EXPECT_EQ(logCount("> [tag values] quality 192: A1.Analog.Level=-6"), 1);

  {
    const DebugLinesOff off;
    bridge->getNewMessageSlot(pushed(R"({"A1":{"1":"2.5","2":"8"},"B2":{"1":"12"}})"));
  }
  EXPECT_EQ(logCount("[tag values]"), 2);
  EXPECT_EQ(tagState(handle("A1.Analog.Temp")).value.fltVal, 2.5f);
  EXPECT_EQ(tagState(handle("A1.Analog.Level")).value.iVal, 8);
  EXPECT_EQ(tagState(handle("A1.Analog.Flow")).value.ulVal, 70000u);
  EXPECT_EQ(tagState(handle("B2.Counter.Starts")).value.uiVal, 12);
}

TEST_F(KorvaneTest, AMessageUpdatesExactlyTheDevicesItsDataNames) {
  // One serial number inside another, and one that only the message's text holds.
  const QList<DevConfig> nested = {
      device("AB1", {group("AB1", "Analog", {variable("AB1", "Temp", 7, 1, 1)})}),
      device("B1", {group("B1", "Analog", {variable("B1", "Temp", 7, 1, 1)})}),
      device("ok", {group("ok", "Analog", {variable("ok", "Temp", 7, 1, 1)})}),
  };
  bridge->addTagsForRealTimeData(nested);
  const struct {
    const char* message;
    LONG ab1, b1;
  } cases[] = {
      {R"({"AB1":{"1":"5"}})", 5, 0},
      {R"({"B1":{"1":"6"}})", 5, 6},
      {R"({"B1":{"1":"7"},"AB1":{"1":"8"}})", 8, 7},
      {R"({"AB":{"1":"9"},"b1":{"1":"9"},"B1 ":{"1":"9"}})", 8, 7},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    bridge->getNewMessageSlot(pushed(c.message));
    EXPECT_EQ(tagState(handle("AB1.Analog.Temp")).value.lVal, c.ab1);
    EXPECT_EQ(tagState(handle("B1.Analog.Temp")).value.lVal, c.b1);
  }

  // A message that names no device, such as an acknowledgement on the write
  // channel, counts for none: the echo after a write is still skipped.
  EXPECT_EQ(write("B1.Analog.Temp", variantOf(VT_I4, 4)), 0u);
  bridge->getNewMessageSlot(R"({"meta":{"success":"true","message":"ok"}})");
  EXPECT_EQ(tag("B1.Analog.Temp")->state, CTag::Written);
  bridge->getNewMessageSlot(pushed(R"({"B1":{"1":"7"}})"));
  EXPECT_EQ(tagState(handle("B1.Analog.Temp")).value.lVal, 4);
}

TEST_F(KorvaneTest, AfterAClientWriteTheNextMessageOfTheDeviceIsSkippedAndTheOneAfterApplied) {
  bridge->addTagsForRealTimeData(configs);
  QSignalSpy sent(bridge.get(), &korvane::writeNewRealTimeValue);

  EXPECT_EQ(write("A1.Analog.Level", variantOf(VT_I2, -5)), 0u);
  ASSERT_EQ(sent.size(), 1);
  EXPECT_EQ(sent[0], (QList<QVariant>{"A1", 2, "-5"}));
  EXPECT_EQ(tag("A1.Analog.Level")->state, CTag::Written);
  EXPECT_EQ(tagState(handle("A1.Analog.Level")).value.iVal, -5);
  EXPECT_EQ(tagState(handle("A1.Analog.Level")).quality, OPC_QUALITY_GOOD);

  // A message that reports failure changes nothing.
  bridge->getNewMessageSlot(R"({"meta":{"success":"false","message":""},"data":{"A1":{"2":"6"}}})");
  EXPECT_EQ(logCount("数据解析失败。"), 1);
  EXPECT_EQ(tag("A1.Analog.Level")->state, CTag::Written);

  bridge->getNewMessageSlot(pushed(R"({"A1":{"1":"1.25","2":"7"}})"));
  EXPECT_EQ(tagState(handle("A1.Analog.Level")).value.iVal, -5);
  EXPECT_EQ(tagState(handle("A1.Analog.Temp")).value.fltVal, 1.25f);
  EXPECT_EQ(tag("A1.Analog.Level")->state, CTag::EchoSkipped);

  bridge->getNewMessageSlot(pushed(R"({"A1":{"2":"8"}})"));
  EXPECT_EQ(tagState(handle("A1.Analog.Level")).value.iVal, 8);
  EXPECT_EQ(tag("A1.Analog.Level")->state, CTag::InStep);
}

TEST_F(KorvaneTest, ClientWritesAreSentAsThePlatformsTextsInTheTagsType) {
  bridge->addTagsForRealTimeData(configs);
  QSignalSpy sent(bridge.get(), &korvane::writeNewRealTimeValue);
  const struct {
    const char* name;
    VARIANT written;
    const char* text;
    VARTYPE stored;
  } cases[] = {
      {"A1.Switch.Pump", variantOf(VT_BOOL, 1), "1", VT_BOOL},
      {"A1.Analog.Temp", variantOf(VT_R4, 1.5), "1.5", VT_R4},
      {"A1.Analog.Flow", variantOf(VT_UI4, 70000), "70000", VT_UI4},
      {"A1.Analog.Pressure", variantOf(VT_I4, -5), "-5", VT_I4},
      // A value that bypassed the toolkit's conversion still goes out in the tag's type.
      {"A1.Analog.Temp", variantOf(VT_R8, 0.25), "0.25", VT_R4},
  };
  for (const auto& c : cases) {
    sent.clear();
    EXPECT_EQ(write(c.name, c.written), 0u) << c.name;
    ASSERT_EQ(sent.size(), 1) << c.name;
    EXPECT_EQ(sent[0][2].toString().toStdString(), c.text) << c.name;
    EXPECT_EQ(tagState(handle(c.name)).value.vt, c.stored) << c.name;
  }
  EXPECT_EQ(logCount("A1.Switch.Pump BOOL 1"), 1);
  // A type without a log label logs no write: the flow's two creation lines alone name it.
  EXPECT_EQ(logCount("A1.Analog.Flow"), 2);
}

TEST_F(KorvaneTest, WritesTheBridgeCannotCarryAreRefusedAndLeaveTheTagAlone) {
  bridge->addTagsForRealTimeData(configs);
  QSignalSpy sent(bridge.get(), &korvane::writeNewRealTimeValue);
  const struct {
    const char* name;
    VARIANT written;
    HRESULT result;
  } cases[] = {
      {"A1.Switch.Odd", variantOf(VT_R8, 1), OPC_E_INVALIDHANDLE},      // type code not convertible
      {"A1.Analog.Limit", variantOf(VT_I4, 1), OPC_E_BADRIGHTS},        // read-only variable
      {"A1.Analog.Level", variantOf(VT_I4, 70000), OPC_E_BADTYPE},      // beyond the tag's type
  };
  for (const auto& c : cases) {
    EXPECT_EQ(write(c.name, c.written), static_cast<DWORD>(c.result)) << c.name;
    EXPECT_EQ(tagState(handle(c.name)).value.llVal, 0) << c.name;
    EXPECT_EQ(tag(c.name)->state, CTag::InStep) << c.name;
  }
  VARIANT written = variantOf(VT_I4, 1);
  DWORD result = 0;
  WriteNotificationProc(12345, &written, &result, const_cast<char*>("Unknown"));
  EXPECT_EQ(result, 0xC0040001u);
  EXPECT_EQ(sent.size(), 0);
}

TEST_F(KorvaneTest, DeviceReadsAnswerFromTheRecordsAndOnlyWhileABridgeIsSet) {
  bridge->addTagsForRealTimeData(configs);
  bridge->getNewMessageSlot(pushed(R"({"A1":{"3":"42"}})"));

  VARIANT read = variantOf(VT_I2, 99);
  WORD quality = 0;
  FILETIME before{}, timestamp{}, after{};
  GetSystemTimeAsFileTime(&before);
  DeviceReadProc(handle("A1.Analog.Flow"), &read, &quality, &timestamp);
  GetSystemTimeAsFileTime(&after);
  EXPECT_EQ(read.vt, VT_UI4);
  EXPECT_EQ(read.ulVal, 42u);
  EXPECT_EQ(quality, OPC_QUALITY_GOOD);
  EXPECT_LE(FileTimeToTicks(before), FileTimeToTicks(timestamp));
  EXPECT_LE(FileTimeToTicks(timestamp), FileTimeToTicks(after));

  const FILETIME untouched{1, 2};
  timestamp = untouched;
  quality = OPC_QUALITY_GOOD;
  read = variantOf(VT_I2, 99);
  DeviceReadProc(12345, &read, &quality, &timestamp);
  EXPECT_EQ(quality, OPC_QUALITY_BAD);
  EXPECT_EQ(read.vt, VT_I2);
  EXPECT_EQ(read.iVal, 99);
  EXPECT_EQ(timestamp.dwLowDateTime, 1u);

  setOpcServer(nullptr);
  quality = OPC_QUALITY_GOOD;
  DeviceReadProc(handle("A1.Analog.Flow"), &read, &quality, &timestamp);
  EXPECT_EQ(quality, OPC_QUALITY_BAD);
  EXPECT_EQ(write("A1.Analog.Flow", variantOf(VT_UI4, 1)), static_cast<DWORD>(OPC_E_INVALIDHANDLE));
}

TEST_F(KorvaneTest, InitStopsAtTheFirstFailingStepWithNoServerAndNoTags) {
  RegistryStore::Instance().SetRefuseWrites(true);
  EXPECT_FALSE(bridge->init(configs));
  EXPECT_TRUE(bridge->tags().isEmpty());
  // The server was never started, so it starts now.
  BYTE clsid[16] = {1};
  EXPECT_TRUE(InitVarnOPCsvr(clsid, 100));
  UninitVarnOPCsvr();
}

TEST_F(KorvaneTest, InitStartsTheServerCreatesTheTagsAndAsksForEveryDeviceEachInterval) {
  // The constructor has fetched the device list once, with nobody connected yet.
  EXPECT_EQ(requestsTo("GET /ZirOrurodaz/dev?usePage=false HTTP/1.1"), 1);
  g_intervalTime = QStringLiteral("20");
  QSignalSpy asked(bridge.get(), &korvane::MessageHandleSignal);

  ASSERT_TRUE(bridge->init(configs));
  EXPECT_EQ(bridge->tags().size(), 9);
  BYTE clsid[16] = {1};
  EXPECT_FALSE(InitVarnOPCsvr(clsid, 100));  // running already

  ASSERT_TRUE(waitUntil([&] { return asked.size() >= 6; }));
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(asked[i][0].value<MsgType>(), MsgOneDevice);
    EXPECT_EQ(asked[i][1].toString(), QStringList({"A1", "B2", "D4"})[i % 3]);
  }
}

TEST_F(KorvaneTest, AnUnreadableIntervalAsksForTheDevicesOnceASecondAndAValidOneKeepsTheFloor) {
  const struct {
    const char* configured;
    int refreshMs;
  } cases[] = {{"", 1000}, {"abc", 1000}, {"-5", 1000}, {"99999999999", 1000}, {"0", 10}, {"250", 250}};
  for (const auto& c : cases) {
    g_intervalTime = QString::fromLatin1(c.configured);
    korvane other(configs);
    ASSERT_TRUE(other.init({})) << c.configured;
    EXPECT_EQ(other.refreshIntervalMs(), c.refreshMs) << c.configured;
  }
}

TEST_F(KorvaneTest, EachDeviceListReadReplacesTheDeviceStatesAndEveryReplyIsPassedOnRaw) {
  bridge->addTagsForRealTimeData(configs);
  QSignalSpy passed(bridge.get(), &korvane::curAllDeviceStat);
  const std::string a1Offline =
      R"({"meta":{"success":"true","message":"ok"},"data":{"total":1,"rows":[{"sn_code":"A1","dev_state":0}]}})";
  const struct {
    const char* name;
    std::optional<ScriptedReply> reply;
    WORD quality;
  } cases[] = {
      // A list that cannot be had keeps the last one.
      {"not json", ScriptedReply::rawText("not json"), OPC_QUALITY_GOOD},
      {"refused", ScriptedReply::rawText(R"({"meta":{"success":"false","message":"100009"},"data":null})"), OPC_QUALITY_GOOD},
      {"no reply", ScriptedReply::closeConnection(), OPC_QUALITY_GOOD},
      {"A1 offline", ScriptedReply::rawText(a1Offline), OPC_QUALITY_BAD},
      {"the stand-in's own list", std::nullopt, OPC_QUALITY_GOOD},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.reply) {
      standin.replies().set(StandinEndpoint::DeviceList, *c.reply);
    } else {
      standin.replies().clear(StandinEndpoint::DeviceList);
    }
    passed.clear();
    bridge->on_getDeviceStat();
    ASSERT_EQ(passed.size(), 1);
    if (c.reply && c.reply->body) {
      EXPECT_EQ(passed[0][0].toString().toStdString(), *c.reply->body);
    }
    bridge->getNewMessageSlot(pushed(R"({"A1":{"1":"2"}})"));
    EXPECT_EQ(tagState(handle("A1.Analog.Temp")).quality, c.quality);
  }
}

TEST_F(KorvaneTest, EachDeviceListSetsEveryTagsQualityAndDeviceReadsAndClientWritesKeepIt) {
  bridge->addTagsForRealTimeData(configs);
  const auto deviceRead = [&](const char* name) {
    VARIANT value;
    VariantInit(&value);
    WORD quality = 0xFFFF;
    FILETIME timestamp{};
    DeviceReadProc(handle(name), &value, &quality, &timestamp);
    return quality;
  };
  const auto listing = [&](int a1State, int b2State) {
    standin.replies().set(StandinEndpoint::DeviceList,
                          ScriptedReply::rawText(QStringLiteral(R"({"meta":{"success":"true","message":"ok"},)"
                                                                R"("data":{"rows":[{"sn_code":"A1","dev_state":%1},)"
                                                                R"({"sn_code":"B2","dev_state":%2}]}})")
                                                     .arg(a1State)
                                                     .arg(b2State)
                                                     .toStdString()));
    bridge->on_getDeviceStat();
  };
  // The quality the toolkit's tag and a device read give, after each step.
  const auto expectQualities = [&](const char* step, WORD temp, WORD level, WORD starts) {
    SCOPED_TRACE(step);
    EXPECT_EQ(tagState(handle("A1.Analog.Temp")).quality, temp);
    EXPECT_EQ(deviceRead("A1.Analog.Temp"), temp);
    EXPECT_EQ(tagState(handle("A1.Analog.Level")).quality, level);
    EXPECT_EQ(deviceRead("A1.Analog.Level"), level);
    EXPECT_EQ(tagState(handle("B2.Counter.Starts")).quality, starts);
    EXPECT_EQ(deviceRead("B2.Counter.Starts"), starts);
  };
  constexpr WORD good = OPC_QUALITY_GOOD, bad = OPC_QUALITY_BAD, lastKnown = korvane::LastKnownQuality;

  expectQualities("created", good, good, bad);
  EXPECT_EQ(write("B2.Counter.Starts", variantOf(VT_UI2, 5)), 0u);
  expectQualities("a write to the offline device", good, good, bad);

  listing(0, 1);
  expectQualities("A1 offline, B2 online", bad, bad, good);
  listing(1, 1);
  bridge->getNewMessageSlot(pushed(R"({"A1":{"2":"abc"}})"));
  expectQualities("both online, a refused text", good, bad, good);
  listing(1, 1);
  expectQualities("a refused text stays bad", good, bad, good);

  bridge->on_readChannelLost();
  expectQualities("read channel lost", lastKnown, lastKnown, lastKnown);
  EXPECT_EQ(write("A1.Analog.Temp", variantOf(VT_R4, 1.5)), 0u);
  listing(0, 1);
  expectQualities("a write and a list while the channel is lost", lastKnown, lastKnown, lastKnown);
  bridge->getNewMessageSlot(pushed(R"({"B2":{"1":"7"}})"));
  expectQualities("B2's first message", lastKnown, lastKnown, good);
  bridge->getNewMessageSlot(pushed(R"({"A1":{"2":"8"}})"));
  expectQualities("A1's first message, A1 offline", bad, bad, good);
}

// The device list is fetched with the event loop running, where the refresh
// timer fires again: that refresh is skipped, not fetched beside it.
TEST_F(KorvaneTest, ADeviceListStillBeingFetchedIsNotFetchedAgain) {
  standin.replies().set(StandinEndpoint::DeviceList, ScriptedReply::delayed(std::chrono::milliseconds(300)));
  const int before = requestsTo("GET /ZirOrurodaz/dev?usePage=false HTTP/1.1");
  QSignalSpy passed(bridge.get(), &korvane::curAllDeviceStat);
  QTimer::singleShot(20, bridge.get(), &korvane::on_getDeviceStat);

  bridge->on_getDeviceStat();
  EXPECT_EQ(requestsTo("GET /ZirOrurodaz/dev?usePage=false HTTP/1.1"), before + 1);
  EXPECT_EQ(passed.size(), 1);
}

TEST_F(KorvaneTest, DevicesListedLaterGetTagsNamedByTheSerialTheirConfigurationWasAskedFor) {
  bridge->addTagsForRealTimeData(configs);
  QSignalSpy asked(bridge.get(), &korvane::MessageHandleSignal);
  // Two more devices, whose variables carry no serial number of their own or another device's.
  standin.data().loadJson(R"({
    "users": [{"user_tel": "13800000000", "password": "demo123", "user_id": 1001, "token": "tok-abc123"}],
    "devices": [{"sn_code": "A1", "dev_state": 1}, {"sn_code": "B2", "dev_state": 0},
                {"sn_code": "C3", "dev_state": 1}, {"sn_code": "D5", "dev_state": 0}],
    "configs": {
      "C3": [{"type_name": "Analog", "data": [
        {"data_name": "Temp", "data_type": 7, "data_writeable": 1, "data_code": 1, "dev_version": 0}]}],
      "D5": [{"type_name": "Analog", "data": [
        {"sn_code": "C3", "data_name": "Temp", "data_type": 7, "data_writeable": 1, "data_code": 1, "dev_version": 0}]}]
    }})");
  bridge->on_getDeviceStat();

  EXPECT_TRUE(bridge->devicesWithoutTags().isEmpty());
  EXPECT_EQ(bridge->tags().size(), 11);
  EXPECT_EQ(bridge->deviceTags().value("C3").tags.size(), 1);
  EXPECT_EQ(bridge->deviceTags().value("D5").tags.size(), 1);
  EXPECT_TRUE(tag("C3.Analog.Temp")->created());
  EXPECT_TRUE(tag("D5.Analog.Temp")->created());
  ASSERT_EQ(asked.size(), 2);
  EXPECT_EQ(asked[0][1].toString(), "C3");
  EXPECT_EQ(asked[1][1].toString(), "D5");
  EXPECT_EQ(requestsTo("GET /ZirOrurodaz/rDev/config/A1 HTTP/1.1"), 0);

  bridge->getNewMessageSlot(pushed(R"({"C3":{"1":"5"},"D5":{"1":"6"}})"));
  EXPECT_EQ(tagState(handle("C3.Analog.Temp")).value.lVal, 5);
  EXPECT_EQ(tagState(handle("C3.Analog.Temp")).quality, OPC_QUALITY_GOOD);
  EXPECT_EQ(tagState(handle("D5.Analog.Temp")).value.lVal, 6);
  EXPECT_EQ(tagState(handle("D5.Analog.Temp")).quality, OPC_QUALITY_BAD);

  // The next list fetches nothing again and makes no tag twice.
  bridge->on_getDeviceStat();
  EXPECT_EQ(bridge->tags().size(), 11);
  EXPECT_EQ(requestsTo("GET /ZirOrurodaz/rDev/config/C3 HTTP/1.1"), 1);
}

TEST_F(KorvaneTest, CallbacksOnOtherThreadsMeetTagsBeingCreatedAndValuesArriving) {
  std::atomic<bool> creating{true};
  std::vector<std::thread> clients;
  for (int i = 0; i < 2; ++i)
    clients.emplace_back([&] {
      // The toolkit hands out tag handles from 1 up.
      for (int round = 0; round < 200 || creating; ++round)
        for (DWORD handle = 1; handle <= 16; ++handle) {
          VARIANT written = variantOf(VT_I4, round % 100);
          DWORD result = 0;
          WriteNotificationProc(handle, &written, &result, const_cast<char*>("Unknown"));
          WORD quality = 0;
          FILETIME timestamp{};
          DeviceReadProc(handle, &written, &quality, &timestamp);
        }
    });
  bridge->addTagsForRealTimeData(configs);
  creating = false;
  for (int i = 0; i < 100; ++i) bridge->getNewMessageSlot(pushed(R"({"A1":{"1":"2.5","2":"3","3":"4","10":"0"}})"));
  // From here on no callback works on the bridge.
  setOpcServer(nullptr);
  bridge.reset();
  for (std::thread& client : clients) client.join();
}
