#pragma once

#include <string>
#include <string_view>

#include <QByteArray>
#include <QString>

#include <json/value.h>

// One platform reply text read with jsoncpp, with type-checked access to its
// envelope {"meta":{"success":...,"message":...},"data":...} and to members.
// Nothing here throws on a wrong JSON type: members are checked before they
// are read.
class JsonReply {
public:
  explicit JsonReply(const QString& text);

  // The text was not empty and parsed as JSON.
  bool parsed() const { return parsed_; }
  // It parsed to an object whose "meta" is absent, null or an object: a reply
  // the parsers can read. Anything else gets their fallback results.
  bool isEnvelope() const;
  // "meta"."success" reads exactly "true".
  bool succeeded() const;
  QString success() const;
  QString message() const;
  const Json::Value& data() const;

  // The member `key` of `object`, or null when `object` is not an object or lacks it.
  static const Json::Value& member(const Json::Value& object, std::string_view key);
  // A text member: a string as it is, a boolean as "true"/"false", anything else "".
  static QString text(const Json::Value& object, std::string_view key);
  // A value read as text members are.
  static QString textOf(const Json::Value& value);
  // A pushed value read as text: as textOf reads it, except that a number
  // reads as its decimal text (numberText).
  static QString valueTextOf(const Json::Value& value);
  static bool isNumber(const Json::Value& value);
  // A JSON number as the platform would have written it as text: an integer
  // in decimal, any other number in the fewest digits that read back as it.
  static std::string numberText(const Json::Value& number);
  // The UTF-8 bytes textOf reads its text from; they stay valid as long as
  // `value` does.
  static std::string_view textBytesOf(const Json::Value& value);
  // Whether UTF-8 `bytes` read as `text`: reading drops one leading
  // byte-order mark.
  static bool readsAs(std::string_view bytes, std::string_view text);
  static constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";
  // An integer member: a number that fits 32 bits, a boolean as 1/0, anything else 0.
  static qint32 integer(const Json::Value& object, std::string_view key);
  // Like integer(), but a decimal text such as "1" counts as its number.
  static qint32 integerOrDigits(const Json::Value& object, std::string_view key);

private:
  const Json::Value& meta() const;

  Json::Value root_;
  bool parsed_ = false;
};
