#include <string>

#include <gtest/gtest.h>

#include "support/messagecapture.h"
#include "ujsonparser.h"

namespace {

const ujsonparser parser;

QString reply(const std::string& meta, const std::string& data) {
  return QString::fromStdString("{\"meta\":" + meta + ",\"data\":" + data + "}");
}

QString okReply(const std::string& data) { return reply(R"({"success":"true","message":"ok"})", data); }

QMap<QString, QString> untouched() { return {{"1", "old"}, {"99", "kept"}}; }

// Data that every parser can read: login fields, one device row and the
// pushed values of device A1 side by side; the configuration needs an array.
const std::string objectData = R"({"user_id":5,"x_Token":"t5","rows":[{"sn_code":"A1"}],"A1":{"1":"v"}})";
const std::string arrayData = R"([{"type_name":"Analog","data":[{"sn_code":"A1","data_code":1}]}])";

enum class Outcome { Success, Refused, Unreadable };

struct EnvelopeCase {
  const char* name;
  QString objectText;
  QString arrayText;
  Outcome outcome;
};

EnvelopeCase envelope(const char* name, const std::string& meta, Outcome outcome) {
  return {name, reply(meta, objectData), reply(meta, arrayData), outcome};
}

EnvelopeCase whole(const char* name, const QString& text) { return {name, text, text, Outcome::Unreadable}; }

}  // namespace

// Only the text "true" or the JSON true in "meta"."success" is success, in
// every parser. A readable refusal makes a pushed message false; anything
// unreadable gives the fallbacks.
TEST(UjsonparserTest, SuccessRuleAndFallbacksOfAllFiveParsers) {
  const EnvelopeCase cases[] = {
      envelope("text true", R"({"success":"true","message":"m"})", Outcome::Success),
      envelope("JSON true", R"({"success":true})", Outcome::Success),
      envelope("True", R"({"success":"True"})", Outcome::Refused),
      envelope("TRUE", R"({"success":"TRUE"})", Outcome::Refused),
      envelope("text 1", R"({"success":"1"})", Outcome::Refused),
      envelope("number 1", R"({"success":1})", Outcome::Refused),
      envelope("false", R"({"success":"false","message":"110003"})", Outcome::Refused),
      envelope("no success", R"({"message":"m"})", Outcome::Refused),
      envelope("null meta", "null", Outcome::Refused),
      {"no meta", QString::fromStdString("{\"data\":" + objectData + "}"),
       QString::fromStdString("{\"data\":" + arrayData + "}"), Outcome::Refused},
      envelope("meta is text", R"("true")", Outcome::Unreadable),
      envelope("meta is array", R"(["true"])", Outcome::Unreadable),
      whole("empty", ""),
      whole("not JSON", "<html>Bad Gateway</html>"),
      whole("cut short", R"({"meta":{"success":"true"},"data":{)"),
      whole("root is number", "123"),
      whole("root is text", R"("123")"),
      whole("root is array", "[1,2]"),
      whole("root is null", "null"),
      whole("nested past the reader's limit", QString(100000, '[')),
  };
  for (const EnvelopeCase& c : cases) {
    SCOPED_TRACE(c.name);
    const bool success = c.outcome == Outcome::Success;

    const LoginSession session = parser.parseLoginReply(c.objectText);
    EXPECT_EQ(session.success == "true", success);
    EXPECT_EQ(session.user_id, success ? 5 : 0);
    EXPECT_EQ(parser.parseHeartReply(c.objectText), success);
    EXPECT_EQ(parser.parseDeviceList(c.objectText).keys(), success ? QStringList{"A1"} : QStringList());
    const DevConfig config = parser.parseRealtimeConf(c.arrayText, "A1");
    EXPECT_EQ(config.sn_code, "A1");
    EXPECT_EQ(config.group_count, success ? 1 : 0);
    EXPECT_EQ(config.groups.size(), config.group_count);

    QMap<QString, QString> values = untouched();
    EXPECT_EQ(parser.parseRealtimeData(c.objectText, "A1", &values, {"1"}), c.outcome != Outcome::Refused);
    EXPECT_EQ(values, (success ? QMap<QString, QString>{{"1", "v"}, {"99", "kept"}} : untouched()));
  }
}

TEST(UjsonparserTest, LoginReply) {
  const struct {
    const char* name;
    QString text;
    LoginSession expected;
  } cases[] = {
      {"accepted", okReply(R"({"user_id":1001,"x_Token":"tok-abc123"})"), {"", "true", "ok", 1001, "tok-abc123"}},
      {"refused: message kept, data ignored",
       reply(R"({"success":"false","message":"110003"})", R"({"user_id":1001,"x_Token":"t"})"),
       {"", "false", "110003", 0, ""}},
      {"accepted without data", QString(R"({"meta":{"success":"true","message":"m"}})"), {"", "true", "m", 0, ""}},
      {"accepted with null data", okReply("null"), {"", "true", "ok", 0, ""}},
      {"user_id as text reads as absent", okReply(R"({"user_id":"12","x_Token":"t"})"), {"", "true", "ok", 0, "t"}},
      {"user_id past 32 bits", okReply(R"({"user_id":4294967296,"x_Token":"t"})"), {"", "true", "ok", 0, "t"}},
      {"token as number", okReply(R"({"user_id":7,"x_Token":5})"), {"", "true", "ok", 7, ""}},
      {"message as number", reply(R"({"success":"false","message":110003})", "null"), {"", "false", "", 0, ""}},
      {"data is an array", okReply(R"([{"user_id":7}])"), {}},
      {"data is text", okReply(R"("x")"), {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const LoginSession session = parser.parseLoginReply(c.text);
    EXPECT_EQ(session.user, c.expected.user);
    EXPECT_EQ(session.success, c.expected.success);
    EXPECT_EQ(session.message, c.expected.message);
    EXPECT_EQ(session.user_id, c.expected.user_id);
    EXPECT_EQ(session.token, c.expected.token);
  }
}

TEST(UjsonparserTest, DeviceListReadsEveryFieldOfARow) {
  const QMap<QString, DevInfo> devices = parser.parseDeviceList(okReply(R"({"total":1,"rows":[{
      "sn_code":"A1","dev_uuid":"u-0001","dev_ip":"192.0.2.15","dev_mac":"00:11:22:33:44:55","dev_version":"1",
      "dev_model":"ZB-100","shipment_number":"S-01","research_unit":"lab","customer_id":7,"dev_address":"Line 3",
      "dev_long":"116.40","dev_lat":"39.90","site_name":"Pump house","site_type":"pump","site_icon":"icon\u00e9.png",
      "dev_state":1,"report_time":"2024-01-01 12:00:00","isRegister":1,"vpn_port":1194,"vpn_server_state":2,
      "vpn_client_state":3,"dev_alias":"Pump A"}]})"));
  ASSERT_EQ(devices.keys(), QStringList{"A1"});
  const DevInfo& d = devices["A1"];
  EXPECT_EQ(d.sn_code, "A1");
  EXPECT_EQ(d.dev_uuid, "u-0001");
  EXPECT_EQ(d.dev_ip, "192.0.2.15");
  EXPECT_EQ(d.dev_mac, "00:11:22:33:44:55");
  EXPECT_EQ(d.record_flag, 1);
  EXPECT_EQ(d.dev_version, "1");
  EXPECT_EQ(d.dev_model, "ZB-100");
  EXPECT_EQ(d.shipment_number, "S-01");
  EXPECT_EQ(d.research_unit, "lab");
  EXPECT_EQ(d.customer_id, 7);
  EXPECT_EQ(d.dev_address, "Line 3");
  EXPECT_EQ(d.dev_long, "116.40");
  EXPECT_EQ(d.dev_lat, "39.90");
  EXPECT_EQ(d.site_name, "Pump house");
  EXPECT_EQ(d.site_type, "pump");
  EXPECT_EQ(d.site_icon, QByteArray("icon\xe9.png"));
  EXPECT_EQ(d.dev_state, "1");
  EXPECT_EQ(d.report_time, "2024-01-01 12:00:00");
  EXPECT_EQ(d.isRegister, 1);
  EXPECT_EQ(d.vpn_port, 1194);
  EXPECT_EQ(d.vpn_server_state, 2);
  EXPECT_EQ(d.vpn_client_state, 3);
  EXPECT_EQ(d.dev_alias, "Pump A");
}

TEST(UjsonparserTest, DeviceMapIsSortedBySerialAndALaterDuplicateWins) {
  const QMap<QString, DevInfo> devices = parser.parseDeviceList(okReply(
      R"({"rows":[{"sn_code":"B2","dev_alias":"first"},{"sn_code":"A1"},{"sn_code":"B2","dev_alias":"second"}]})"));
  EXPECT_EQ(devices.keys(), (QStringList{"A1", "B2"}));
  EXPECT_EQ(devices["B2"].dev_alias, "second");
}

TEST(UjsonparserTest, DeviceRowScalars) {
  const struct {
    const char* member;
    QString devState;
    qint32 customerId;
  } cases[] = {
      {R"("dev_state":1,"customer_id":7)", "1", 7},
      {R"("dev_state":0)", "0", 0},
      {R"("dev_state":null,"customer_id":null)", "0", 0},
      {R"("dev_state":"1","customer_id":"7")", "1", 0},
      {R"("dev_state":true,"customer_id":true)", "1", 1},
      {R"("dev_state":"online","customer_id":7.5)", "0", 0},
      {R"("dev_state":[1],"customer_id":{"id":7})", "0", 0},
      {R"("customer_id":3000000000)", "0", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.member);
    const QMap<QString, DevInfo> devices =
        parser.parseDeviceList(okReply(std::string(R"({"rows":[{"sn_code":"A1",)") + c.member + "}]}"));
    ASSERT_TRUE(devices.contains("A1"));
    EXPECT_EQ(devices["A1"].dev_state, c.devState);
    EXPECT_EQ(devices["A1"].customer_id, c.customerId);
  }
}

TEST(UjsonparserTest, DeviceListOfAWrongShapeIsEmpty) {
  const std::string data[] = {
      "null",         "{}",           R"({"rows":null})",     "[]", R"([{"rows":[{"sn_code":"A1"}]}])",
      R"("rows")",    R"({"rows":{}})", R"({"rows":{"sn_code":"A1"}})", R"({"rows":[1]})",
      R"({"rows":[{"sn_code":"A1"},"B2"]})",
  };
  for (const std::string& d : data) {
    EXPECT_TRUE(parser.parseDeviceList(okReply(d)).isEmpty()) << d;
    // Told apart from an empty list, so a failed refresh can keep the last one.
    QMap<QString, DevInfo> kept{{"Z9", DevInfo()}};
    EXPECT_FALSE(parser.parseDeviceList(okReply(d), &kept)) << d;
    EXPECT_EQ(kept.keys(), QStringList{"Z9"}) << d;
  }
  QMap<QString, DevInfo> replaced{{"Z9", DevInfo()}};
  EXPECT_TRUE(parser.parseDeviceList(okReply(R"({"rows":[]})"), &replaced));
  EXPECT_TRUE(replaced.isEmpty());
  EXPECT_FALSE(parser.parseDeviceList("", &replaced));
}

TEST(UjsonparserTest, ConfigurationKeepsNamedGroupsWithDataAndLogsEachVariable) {
  MessageCapture capture;
  const DevConfig config = parser.parseRealtimeConf(okReply(R"([
      {"type_name":"Analog","data":[
        {"sn_code":"A1","data_name":"Temp","data_unit":"C","data_type":10,"data_writeable":1,
         "data_min":"-40","data_max":"125","data_code":1,"dev_version":0},
        {"sn_code":"other","data_name":"Level","data_unit":"m","data_type":2,"data_writeable":2,
         "data_min":"0","data_max":"100","data_code":2,"dev_version":1}]},
      {"type_name":"","data":[{"sn_code":"A1","data_name":"Nameless group"}]},
      {"type_name":"NoData"},
      {"type_name":"NullData","data":null},
      {"type_name":[1],"data":[{"sn_code":"A1","data_name":"Odd group"}]},
      {"type_name":"Empty","data":[]}
    ])"),
                                                    "A1");

  EXPECT_EQ(config.sn_code, "A1");
  ASSERT_EQ(config.group_count, 2);
  ASSERT_EQ(config.groups.size(), 2);
  const DataGroup& analog = config.groups[0];
  EXPECT_EQ(analog.sn_code, "A1");
  EXPECT_EQ(analog.type_name, "Analog");
  ASSERT_EQ(analog.variable_count, 2);
  ASSERT_EQ(analog.variables.size(), 2);
  const DataInfo& temp = analog.variables[0];
  EXPECT_EQ(temp.sn_code, "A1");
  EXPECT_EQ(temp.data_name, "Temp");
  EXPECT_EQ(temp.data_unit, "C");
  EXPECT_EQ(temp.data_type, 10);
  EXPECT_EQ(temp.data_writeable, 1);
  EXPECT_EQ(temp.data_min, "-40");
  EXPECT_EQ(temp.data_max, "125");
  EXPECT_EQ(temp.data_code, 1);
  EXPECT_EQ(temp.dev_version, 0);
  EXPECT_EQ(analog.variables[1].sn_code, "other");
  EXPECT_EQ(analog.variables[1].dev_version, 1);
  EXPECT_EQ(config.groups[1].type_name, "Empty");
  EXPECT_EQ(config.groups[1].variable_count, 0);

  EXPECT_EQ(capture.lines(),
            (QStringList{"sncode:A1 items:2 name:Temp unit:C min:-40 max:125 type:10 writeable:1 code:1 ver:0",
                         "sncode:other items:2 name:Level unit:m min:0 max:100 type:2 writeable:2 code:2 ver:1"}));
}

TEST(UjsonparserTest, ConfigurationOfAWrongShapeIsTheEmptyFallback) {
  const std::string data[] = {
      "null",
      "{}",
      R"({"type_name":"Analog","data":[]})",
      R"([1])",
      R"([{"type_name":"Analog","data":[]},"Switch"])",
      R"([{"type_name":"Analog","data":{"sn_code":"A1"}}])",
      R"([{"type_name":"Analog","data":"A1"}])",
      R"([{"type_name":"Analog","data":[{"sn_code":"A1"},7]}])",
  };
  for (const std::string& d : data) {
    const DevConfig config = parser.parseRealtimeConf(okReply(d), "A1");
    EXPECT_EQ(config.sn_code, "A1") << d;
    EXPECT_EQ(config.group_count, 0) << d;
    EXPECT_TRUE(config.groups.isEmpty()) << d;
  }
}

// Only a readable configuration counts as read, also when it holds no
// variables; every fallback says the device's variables are not known.
TEST(UjsonparserTest, AConfigurationCountsAsReadOnlyWhenItIsOne) {
  const struct {
    const char* name;
    QString text;
    bool read;
    int groups;
  } cases[] = {
      {"two groups", okReply(R"([{"type_name":"A","data":[{"data_code":1}]},{"type_name":"B","data":[]}])"), true, 2},
      {"no variables", okReply("[]"), true, 0},
      {"a group dropped", okReply(R"([{"type_name":"","data":[]}])"), true, 0},
      {"empty text", QString(), false, 0},
      {"refused", reply(R"({"success":"false","message":"100009"})", "[]"), false, 0},
      {"null data", okReply("null"), false, 0},
      {"data is an object", okReply("{}"), false, 0},
      {"a variable is no object", okReply(R"([{"type_name":"A","data":[7]}])"), false, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    DevConfig config;
    config.group_count = 9;
    EXPECT_EQ(parser.parseRealtimeConf(c.text, "A1", &config), c.read);
    EXPECT_EQ(config.sn_code, "A1");
    EXPECT_EQ(config.group_count, c.groups);
    EXPECT_EQ(config.groups.size(), c.groups);
  }
}

TEST(UjsonparserTest, ConfigurationVariableScalarsOfAWrongTypeReadAsAbsent) {
  const DevConfig config = parser.parseRealtimeConf(
      okReply(R"([{"type_name":"Analog","data":[{"sn_code":7,"data_name":["x"],"data_type":"10","data_code":1.5,
                  "data_writeable":true,"data_min":{"v":0},"dev_version":1.0}]}])"),
      "A1");
  ASSERT_EQ(config.group_count, 1);
  ASSERT_EQ(config.groups[0].variable_count, 1);
  const DataInfo& info = config.groups[0].variables[0];
  EXPECT_EQ(info.sn_code, "");
  EXPECT_EQ(info.data_name, "");
  EXPECT_EQ(info.data_type, 0);
  EXPECT_EQ(info.data_code, 0);
  EXPECT_EQ(info.data_writeable, 1);
  EXPECT_EQ(info.data_min, "");
  EXPECT_EQ(info.dev_version, 1);
}

TEST(UjsonparserTest, PushedValues) {
  const QStringList wanted{"1", "2", "10"};
  const struct {
    const char* name;
    QString text;
    bool result;
    QMap<QString, QString> values;
  } cases[] = {
      {"every wanted code set, others kept", okReply(R"({"A1":{"1":"23.5","2":"-7","10":"1","3":"x"}})"), true,
       {{"1", "23.5"}, {"2", "-7"}, {"10", "1"}, {"99", "kept"}}},
      {"missing code empty", okReply(R"({"A1":{"2":"-7"}})"), true, {{"1", ""}, {"2", "-7"}, {"10", ""}, {"99", "kept"}}},
      {"other device only", okReply(R"({"B2":{"1":"5"}})"), true, {{"1", ""}, {"2", ""}, {"10", ""}, {"99", "kept"}}},
      {"value not text", okReply(R"({"A1":{"1":{"v":"5"},"2":23.5,"10":true}})"), true,
       {{"1", ""}, {"2", "23.5"}, {"10", "true"}, {"99", "kept"}}},
      {"refused", reply(R"({"success":"false","message":""})", R"({"A1":{"1":"5"}})"), false, untouched()},
      {"no data", QString(R"({"meta":{"success":"true","message":"ok"}})"), true, untouched()},
      {"null data", okReply("null"), true, untouched()},
      {"data is an array", okReply(R"([{"A1":{"1":"5"}}])"), true, untouched()},
      {"device is text", okReply(R"({"A1":"5"})"), true, untouched()},
      {"device is an array", okReply(R"({"A1":["5"]})"), true, untouched()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    QMap<QString, QString> values = untouched();
    EXPECT_EQ(parser.parseRealtimeData(c.text, "A1", &values, wanted), c.result);
    EXPECT_EQ(values, c.values);
  }
}

TEST(UjsonparserTest, PushedValuesOfEveryDevice) {
  using Devices = QMap<QString, QMap<QString, QString>>;
  const Devices kept{{"Z9", {{"1", "kept"}}}};
  const struct {
    const char* name;
    QString text;
    bool result;
    Devices devices;
  } cases[] = {
      {"two devices", okReply(R"({"B1":{"1":"5"},"AB1":{"2":"-7","10":true,"3":4}})"), true,
       {{"Z9", {{"1", "kept"}}}, {"AB1", {{"2", "-7"}, {"10", "true"}, {"3", "4"}}}, {"B1", {{"1", "5"}}}}},
      {"device not an object", okReply(R"({"A1":"5","B2":["5"],"C3":{}})"), true, {{"Z9", {{"1", "kept"}}}, {"C3", {}}}},
      {"refused", reply(R"({"success":"false","message":""})", R"({"A1":{"1":"5"}})"), false, kept},
      {"no data", QString(R"({"meta":{"success":"true","message":"ok"}})"), true, kept},
      {"data is an array", okReply(R"([{"A1":{"1":"5"}}])"), true, kept},
      {"not JSON", QString("A1 B2"), true, kept},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Devices devices = kept;
    EXPECT_EQ(parser.parseRealtimeDevices(c.text, &devices), c.result);
    EXPECT_EQ(devices, c.devices);
  }
}
