#include "jsonreply.h"

#include <json/reader.h>

JsonReply::JsonReply(const QString& text) {
  if (text.isEmpty()) return;
  Json::Reader reader;
  parsed_ = reader.parse(text.toUtf8().toStdString(), root_);
}

bool JsonReply::isEnvelope() const {
  if (!parsed_ || !root_.isObject()) return false;
  const Json::Value& metaMember = meta();
  return metaMember.isNull() || metaMember.isObject();
}

bool JsonReply::succeeded() const { return success() == QLatin1String("true"); }

QString JsonReply::success() const { return text(meta(), "success"); }

QString JsonReply::message() const { return text(meta(), "message"); }

const Json::Value& JsonReply::data() const { return member(root_, "data"); }

const Json::Value& JsonReply::meta() const { return member(root_, "meta"); }

const Json::Value& JsonReply::member(const Json::Value& object, const QByteArray& key) {
  static const Json::Value absent;
  if (!object.isObject()) return absent;
  const Json::Value* found = object.find(key.constData(), key.constData() + key.size());
  return found != nullptr ? *found : absent;
}

QString JsonReply::text(const Json::Value& object, const QByteArray& key) { return textOf(member(object, key)); }

QString JsonReply::textOf(const Json::Value& value) {
  if (value.isString()) return QString::fromStdString(value.asString());
  if (value.isBool()) return value.asBool() ? QStringLiteral("true") : QStringLiteral("false");
  return QString();
}

qint32 JsonReply::integer(const Json::Value& object, const QByteArray& key) {
  const Json::Value& value = member(object, key);
  if (value.isBool()) return value.asBool() ? 1 : 0;
  if (value.isInt()) return value.asInt();
  return 0;
}

qint32 JsonReply::integerOrDigits(const Json::Value& object, const QByteArray& key) {
  const Json::Value& value = member(object, key);
  if (!value.isString()) return integer(object, key);
  bool isNumber = false;
  const qint32 number = QString::fromStdString(value.asString()).toInt(&isNumber);
  return isNumber ? number : 0;
}
