// Every entry point of the platform reply and pushed-message parser on any
// text: none crashes or leaks, and their results agree with each other: the
// two device-list forms give the same devices, a configuration's counts are
// its lists' sizes, and a pushed message read for one device gives that
// device's values as the all-devices read gives them, and the pushed frame's
// lookup by data code agrees with its copy of every text.
#include "FuzzCheck.h"

#include "pushedframe.h"
#include "ujsonparser.h"

#include <QtGlobal>

namespace {

void DropMessage(QtMsgType, const QMessageLogContext&, const QString&) {}

// A name read back from the text as it was written there: one whose bytes
// were not UTF-8 (invalid bytes, a lone surrogate escape) reads with U+FFFD
// in their place, and asking for that name cannot find the original member.
bool ReadAsWritten(const QString& name) { return !name.contains(QChar::ReplacementCharacter); }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The configuration parser logs every variable; the fuzzer needs none of it.
  qInstallMessageHandler(DropMessage);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<int>(size));
  const ujsonparser parser;

  const LoginSession session = parser.parseLoginReply(text);
  if (session.success == QLatin1String("true")) FUZZ_CHECK(parser.parseHeartReply(text));

  QMap<QString, DevInfo> devices;
  const bool listed = parser.parseDeviceList(text, &devices);
  const QMap<QString, DevInfo> returned = parser.parseDeviceList(text);
  FUZZ_CHECK(returned.keys() == devices.keys());
  if (!listed) FUZZ_CHECK(devices.isEmpty());
  for (auto device = devices.cbegin(); device != devices.cend(); ++device) {
    FUZZ_CHECK(device.key() == device->sn_code);
    FUZZ_CHECK(device->record_flag == 1);
  }

  const QString sn = devices.isEmpty() ? QStringLiteral("sn") : devices.firstKey();
  const DevConfig config = parser.parseRealtimeConf(text, sn);
  FUZZ_CHECK(config.sn_code == sn);
  FUZZ_CHECK(config.group_count == config.groups.size());
  for (const DataGroup& group : config.groups) {
    FUZZ_CHECK(group.variable_count == group.variables.size());
    FUZZ_CHECK(!group.type_name.isEmpty());
    FUZZ_CHECK(group.sn_code == sn);
  }

  QMap<QString, QMap<QString, QString>> pushed;
  const bool pushedRead = parser.parseRealtimeDevices(text, &pushed);
  QMap<QString, QString> untouched;
  FUZZ_CHECK(parser.parseRealtimeData(text, sn, &untouched, {}) == pushedRead);
  FUZZ_CHECK(untouched.isEmpty());
  // Reading a name drops a leading byte-order mark, and asking for the name
  // read cannot find the member then: names are compared in texts without one.
  const bool byteOrderMarks = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<int>(size))
                                  .contains("\xEF\xBB\xBF");
  for (auto device = pushed.cbegin(); device != pushed.cend() && !byteOrderMarks; ++device) {
    if (!ReadAsWritten(device.key())) continue;
    QStringList codes;
    for (const QString& code : device->keys())
      if (ReadAsWritten(code)) codes.append(code);
    codes.append(QStringLiteral("no such code"));
    QMap<QString, QString> values;
    FUZZ_CHECK(parser.parseRealtimeData(text, device.key(), &values, codes));
    for (const QString& code : codes) FUZZ_CHECK(values.value(code) == device->value(code));
  }

  // The pushed frame's lookup by data code gives what its copy of every text
  // gives under the code's decimal name.
  const PushedFrame frame(text);
  for (const PushedFrame::Device& device : frame.devices()) {
    QMap<QString, QString> texts;
    device.copyTextsTo(&texts);
    for (const int code : {0, 1, 2, 7, 10, 65535, -1}) {
      const std::string_view bytes = device.text(code);
      FUZZ_CHECK(QString::fromUtf8(bytes.data(), static_cast<int>(bytes.size())) ==
                 texts.value(QString::number(code)));
    }
    for (auto member = texts.cbegin(); member != texts.cend(); ++member) {
      bool isNumber = false;
      const int code = member.key().toInt(&isNumber);
      if (!isNumber || QString::number(code) != member.key()) continue;
      const std::string_view bytes = device.text(code);
      FUZZ_CHECK(QString::fromUtf8(bytes.data(), static_cast<int>(bytes.size())) == member.value());
    }
  }
  return 0;
}
