#include <string>

#include <QMap>
#include <QString>

#include <gtest/gtest.h>
#include <json/reader.h>
#include <json/value.h>

#include "jsonreply.h"
#include "pushedframe.h"

namespace {

using Texts = QMap<QString, QMap<QString, QString>>;

// Every device's value texts read the plain way: the whole frame parsed, each
// name and text made a QString, devices and texts by those names.
Texts readPlainly(const QString& frame) {
  Texts devices;
  Json::Value root;
  if (!Json::Reader().parse(frame.toStdString(), root) || !root.isObject()) return devices;
  const Json::Value& data = root["data"];
  if (!data.isObject()) return devices;
  for (auto device = data.begin(); device != data.end(); ++device) {
    if (!device->isObject()) continue;
    QMap<QString, QString>& texts = devices[QString::fromStdString(device.name())];
    for (auto value = device->begin(); value != device->end(); ++value)
      texts.insert(QString::fromStdString(value.name()), JsonReply::valueTextOf(*value));
  }
  return devices;
}

QString frameOf(const char* data) {
  return QStringLiteral(R"({"meta":{"success":"true","message":""},"data":%1})").arg(QString::fromUtf8(data));
}

}  // namespace

// Whatever the names and values, a device's text for a data code is the one
// its QString texts give for the code in decimal, and devices come in the
// order of their QString serial numbers.
TEST(PushedFrameTest, TextsByDataCodeAreThoseOfTheFramesTextsAsQStrings) {
  const char* const frames[] = {
      R"({"A1":{"1":"23.5","2":"-7","10":"1","3":"x"}})",
      R"({"A1":{"01":"a","+2":"b"," 3":"c","4 ":"d","-5":"e","0":"f","-0":"g","2147483648":"h"}})",
      R"({"A1":{"1":true,"2":false,"3":5,"4":{"v":"5"},"5":null,"6":"","7":"\ufeff","8":"\ufeff9"}})",
      R"({"A1":{"1":23.5,"2":-7,"3":1e308,"4":70000,"5":1.0,"6":18446744073709551615,"7":0.1}})",
      R"({"A1":{"1":"a","\ufeff1":"b","\ufeff\ufeff2":"c","\ufeff3":"d"}})",
      R"({"B1":{"1":"5"},"AB1":{"2":"-7"},"C3":{},"D4":"5","E5":["5"]})",
      R"({"X\udc00":{"1":"a","2":"b"},"X\udc01":{"1":"c"},"X\ufffd":{"3":"d"}})",
      R"({"\ufeffA1":{"1":"a"},"A1":{"1":"b","2":"c"}})",
  };
  for (const char* data : frames) {
    SCOPED_TRACE(data);
    const QString text = frameOf(data);
    const Texts expected = readPlainly(text);
    const PushedFrame frame(text);
    ASSERT_TRUE(frame.accepted());
    ASSERT_EQ(static_cast<int>(frame.devices().size()), expected.size());
    auto device = frame.devices().begin();
    for (auto plain = expected.cbegin(); plain != expected.cend(); ++plain, ++device) {
      EXPECT_EQ(device->serial().toStdString(), plain.key().toStdString());
      for (int code = -6; code <= 11; ++code) {
        const std::string_view bytes = device->text(code);
        EXPECT_EQ(QString::fromUtf8(bytes.data(), static_cast<int>(bytes.size())).toStdString(),
                  plain.value().value(QString::number(code)).toStdString())
            << "code " << code;
      }
    }
  }
}

TEST(PushedFrameTest, OnlyARefusedEnvelopeIsNotAccepted) {
  const struct {
    const char* name;
    QString text;
    bool accepted;
    size_t devices;
  } cases[] = {
      {"accepted", frameOf(R"({"A1":{"1":"5"}})"), true, 1},
      {"success with a byte-order mark", QString(R"({"meta":{"success":"\ufefftrue"},"data":{"A1":{}}})"), true, 1},
      {"refused", QString(R"({"meta":{"success":"false"},"data":{"A1":{"1":"5"}}})"), false, 0},
      {"no data", QString(R"({"meta":{"success":"true"}})"), true, 0},
      {"data is an array", frameOf(R"([{"A1":{"1":"5"}}])"), true, 0},
      {"not JSON", QString("A1 B2"), true, 0},
      {"meta is text", QString(R"({"meta":"x","data":{"A1":{}}})"), true, 0},
      {"nested past the reader's limit", QString(100000, '['), true, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const PushedFrame frame(c.text);
    EXPECT_EQ(frame.accepted(), c.accepted);
    EXPECT_EQ(frame.devices().size(), c.devices);
  }
}

TEST(PushedFrameTest, ValuesGivenAsNumbersReadAsTheirDecimalTexts) {
  const PushedFrame frame(frameOf(
      R"({"A1":{"1":23.5,"2":-7,"3":1e308,"4":70000,"5":1.0,"6":18446744073709551615,"7":0.1,"8":-0.0}})"));
  ASSERT_EQ(frame.devices().size(), 1u);
  const PushedFrame::Device& device = frame.devices().front();
  const char* const texts[] = {"23.5", "-7", "1e+308", "70000", "1", "18446744073709551615", "0.1", "0"};
  for (int code = 1; code <= 8; ++code) EXPECT_EQ(device.text(code), texts[code - 1]) << code;
}
