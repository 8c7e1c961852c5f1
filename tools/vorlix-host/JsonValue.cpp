#include "JsonValue.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

JsonValue JsonValue::Boolean(bool value) {
  JsonValue result;
  result.kind_ = Kind::Boolean;
  result.boolean_ = value;
  return result;
}

JsonValue JsonValue::Number(double value) {
  JsonValue result;
  result.kind_ = Kind::Number;
  result.number_ = value;
  return result;
}

JsonValue JsonValue::Text(std::string value) {
  JsonValue result;
  result.kind_ = Kind::Text;
  result.text_ = std::move(value);
  return result;
}

JsonValue JsonValue::Array(std::vector<JsonValue> elements) {
  JsonValue result;
  result.kind_ = Kind::Array;
  result.elements_ = std::move(elements);
  return result;
}

JsonValue JsonValue::Object(std::vector<std::pair<std::string, JsonValue>> members) {
  JsonValue result;
  result.kind_ = Kind::Object;
  result.members_ = std::move(members);
  return result;
}

const JsonValue& JsonValue::operator[](const std::string& name) const {
  static const JsonValue none;
  for (const auto& member : members_) {
    if (member.first == name) return member.second;
  }
  return none;
}

double JsonValue::AsNumber(double fallback) const {
  if (kind_ == Kind::Number) return number_;
  if (kind_ != Kind::Text || text_.empty()) return fallback;
  // strtod reads the C locale's '.', which is the only one a host process has.
  char* end = nullptr;
  const double value = std::strtod(text_.c_str(), &end);
  return end == text_.c_str() + text_.size() ? value : fallback;
}

std::string JsonValue::AsText() const {
  if (kind_ == Kind::Text) return text_;
  if (kind_ != Kind::Number) return {};
  char text[32];
  // Whole numbers as integers ("10", not "1e+01"): data codes are looked up by this text.
  if (number_ == std::trunc(number_) && std::fabs(number_) < 1e15) {
    std::snprintf(text, sizeof text, "%.0f", number_);
    return text;
  }
  std::snprintf(text, sizeof text, "%.17g", number_);
  // The shortest form that reads back as the same number.
  for (int digits = 1; digits < 17; ++digits) {
    char shorter[32];
    std::snprintf(shorter, sizeof shorter, "%.*g", digits, number_);
    if (std::strtod(shorter, nullptr) == number_) return shorter;
  }
  return text;
}
