// A value of a JSON text as the host's data file holds it: null, a boolean, a
// number, a text (UTF-8), an array or an object whose members keep their order.
// Reading a member of the wrong kind gives an empty value, never an exception,
// so a data file with a missing or odd member still loads what it can.
#pragma once

#include <string>
#include <utility>
#include <vector>

class JsonValue {
 public:
  enum class Kind { Null, Boolean, Number, Text, Array, Object };

  JsonValue() = default;
  static JsonValue Boolean(bool value);
  static JsonValue Number(double value);
  static JsonValue Text(std::string value);
  static JsonValue Array(std::vector<JsonValue> elements);
  static JsonValue Object(std::vector<std::pair<std::string, JsonValue>> members);

  Kind kind() const { return kind_; }
  bool IsNull() const { return kind_ == Kind::Null; }

  // The member of that name (the first one), or a null value.
  const JsonValue& operator[](const std::string& name) const;
  const std::vector<JsonValue>& Elements() const { return elements_; }
  const std::vector<std::pair<std::string, JsonValue>>& Members() const { return members_; }

  // A number's value (a text holding a number counts too), else `fallback`.
  double AsNumber(double fallback = 0) const;
  // A text, or a number in its shortest decimal form, else "".
  std::string AsText() const;
  bool AsBoolean() const { return kind_ == Kind::Boolean && boolean_; }

 private:
  Kind kind_ = Kind::Null;
  bool boolean_ = false;
  double number_ = 0;
  std::string text_;
  std::vector<JsonValue> elements_;
  std::vector<std::pair<std::string, JsonValue>> members_;
};
