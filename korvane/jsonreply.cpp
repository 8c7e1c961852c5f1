#include "jsonreply.h"

#include <charconv>
#include <exception>

#include <json/reader.h>

JsonReply::JsonReply(const QString& text) {
  if (text.isEmpty()) return;
  const QByteArray utf8 = text.toUtf8();
  // A reader is kept per thread: a new one allocates its stacks first.
  thread_local Json::Reader reader;
  // The reader gives up on a text nested past its depth limit by throwing.
  try {
    parsed_ = reader.parse(utf8.constData(), utf8.constData() + utf8.size(), root_);
  } catch (const std::exception&) {
    root_ = Json::Value();
    parsed_ = false;
  }
}

bool JsonReply::isEnvelope() const {
  if (!parsed_ || !root_.isObject()) return false;
  const Json::Value& metaMember = meta();
  return metaMember.isNull() || metaMember.isObject();
}

bool JsonReply::succeeded() const { return readsAs(textBytesOf(member(meta(), "success")), "true"); }

QString JsonReply::success() const { return text(meta(), "success"); }

QString JsonReply::message() const { return text(meta(), "message"); }

const Json::Value& JsonReply::data() const { return member(root_, "data"); }

const Json::Value& JsonReply::meta() const { return member(root_, "meta"); }

const Json::Value& JsonReply::member(const Json::Value& object, std::string_view key) {
  static const Json::Value absent;
  if (!object.isObject()) return absent;
  const Json::Value* found = object.find(key.data(), key.data() + key.size());
  return found != nullptr ? *found : absent;
}

QString JsonReply::text(const Json::Value& object, std::string_view key) { return textOf(member(object, key)); }

QString JsonReply::textOf(const Json::Value& value) {
  const std::string_view bytes = textBytesOf(value);
  return QString::fromUtf8(bytes.data(), static_cast<int>(bytes.size()));
}

QString JsonReply::valueTextOf(const Json::Value& value) {
  return isNumber(value) ? QString::fromStdString(numberText(value)) : textOf(value);
}

bool JsonReply::isNumber(const Json::Value& value) {
  return value.type() == Json::intValue || value.type() == Json::uintValue || value.type() == Json::realValue;
}

std::string JsonReply::numberText(const Json::Value& number) {
  if (number.isInt64()) return std::to_string(number.asInt64());
  if (number.isUInt64()) return std::to_string(number.asUInt64());
  char digits[32];
  const auto written = std::to_chars(digits, digits + sizeof digits, number.asDouble());
  return std::string(digits, written.ptr);
}

std::string_view JsonReply::textBytesOf(const Json::Value& value) {
  const char* begin = nullptr;
  const char* end = nullptr;
  if (value.getString(&begin, &end)) return {begin, static_cast<size_t>(end - begin)};
  if (value.isBool()) return value.asBool() ? "true" : "false";
  return {};
}

bool JsonReply::readsAs(std::string_view bytes, std::string_view text) {
  if (bytes.substr(0, byteOrderMark.size()) == byteOrderMark) bytes.remove_prefix(byteOrderMark.size());
  return bytes == text;
}

qint32 JsonReply::integer(const Json::Value& object, std::string_view key) {
  const Json::Value& value = member(object, key);
  if (value.isBool()) return value.asBool() ? 1 : 0;
  if (value.isInt()) return value.asInt();
  return 0;
}

qint32 JsonReply::integerOrDigits(const Json::Value& object, std::string_view key) {
  const Json::Value& value = member(object, key);
  if (!value.isString()) return integer(object, key);
  bool isNumber = false;
  const qint32 number = QString::fromStdString(value.asString()).toInt(&isNumber);
  return isNumber ? number : 0;
}
