#pragma once

#include <optional>
#include <string_view>

#include <QString>

#include "Vorlix.h"

// One data-type code of the platform's variables and what it means for the
// tag that publishes such a variable: the VARIANT type of the tag, how a
// pushed value text becomes a value of that type, and the text the platform
// gets when an OPC client writes one.
class DataTypeCode {
public:
  // The code a variable's tag goes by: its data_type, except that boxes of
  // dev_version 1 number their types differently (1, 2, 3 and 6 there are 3,
  // 6, 7 and 10 here).
  static int of(int dataType, int devVersion);
  // The table's row for `code`; nullptr for a code the bridge cannot convert.
  static const DataTypeCode* find(int code);

  VARTYPE variantType() const { return variantType_; }
  // " BOOL ", " 32Bit Int " ...: names the type in the log of a client write;
  // nullptr for the types whose writes are not logged.
  const char* logLabel() const { return logLabel_; }

  // The type's zero (false for the boolean).
  VARIANT zero() const;
  // A pushed decimal text as a value of the type, or nothing when it is not
  // one: not a number, a fraction for an integer type, a sign for an unsigned
  // one, beyond the type's range, or not finite. A boolean takes "true",
  // "false" and any integer, true when it is not zero. A text that does not
  // convert must never pass for a value, such as a zero of good quality.
  std::optional<VARIANT> parse(const QString& text) const;
  // The same for a text in UTF-8, without making a QString of the plain
  // decimal texts the platform sends.
  std::optional<VARIANT> parseUtf8(std::string_view utf8) const;
  // The text the platform gets for a value of this type: "1"/"0" for a
  // boolean, decimal for integers, six significant digits for the float.
  QString text(const VARIANT& value) const;

private:
  constexpr DataTypeCode(int code, VARTYPE variantType, const char* logLabel)
      : code_(code), variantType_(variantType), logLabel_(logLabel) {}

  static const DataTypeCode table[];

  int code_;
  VARTYPE variantType_;
  const char* logLabel_;
};
