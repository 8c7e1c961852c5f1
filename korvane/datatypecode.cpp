#include "datatypecode.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <optional>

const DataTypeCode DataTypeCode::table[] = {
    {-1, VT_BOOL, " BOOL "},
    {0, VT_UI2, nullptr},
    {3, VT_UI4, " 32Bit Unsigned Int "},
    {4, VT_UI2, nullptr},
    {5, VT_UI4, nullptr},
    {6, VT_I2, " 16Bit Int "},
    {7, VT_I4, " 32Bit Int "},
    {10, VT_R4, " 32 float "},
};

int DataTypeCode::of(int dataType, int devVersion) {
  if (devVersion != 1) return dataType;
  switch (dataType) {
    case 1:
      return 3;
    case 2:
      return 6;
    case 3:
      return 7;
    case 6:
      return 10;
    default:
      return dataType;
  }
}

const DataTypeCode* DataTypeCode::find(int code) {
  for (const DataTypeCode& row : table)
    if (row.code_ == code) return &row;
  return nullptr;
}

namespace {

// The longest plain integer read here: nine digits fit every integer type's
// intermediate, and the range checks below are Qt's.
constexpr size_t longestPlainInteger = 9;
// The longest plain decimal read here: far from the float's range limits.
constexpr size_t longestPlainDecimal = 20;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// [-]digits, the sign only where `signedType`; nullopt for anything else.
std::optional<qint64> plainInteger(std::string_view text, bool signedType) {
  const bool negative = signedType && !text.empty() && text.front() == '-';
  if (negative) text.remove_prefix(1);
  if (text.empty() || text.size() > longestPlainInteger) return std::nullopt;
  qint64 number = 0;
  for (const char c : text) {
    if (!isDigit(c)) return std::nullopt;
    number = number * 10 + (c - '0');
  }
  return negative ? -number : number;
}

// [-]digits[.digits]; nullopt for anything else.
std::optional<double> plainDecimal(std::string_view text) {
  if (text.empty() || text.size() > longestPlainDecimal) return std::nullopt;
  const size_t start = text.front() == '-' ? 1 : 0;
  const size_t point = text.find('.');
  const auto digitsOnly = [&](size_t from, size_t to) {
    return from < to && std::all_of(text.begin() + from, text.begin() + to, isDigit);
  };
  const bool plain = point == std::string_view::npos
                         ? digitsOnly(start, text.size())
                         : digitsOnly(start, point) && digitsOnly(point + 1, text.size());
  if (!plain) return std::nullopt;
  double number = 0;
  const auto read = std::from_chars(text.data(), text.data() + text.size(), number);
  if (read.ec != std::errc() || read.ptr != text.data() + text.size()) return std::nullopt;
  return number;
}

// `number` within [low, high], else nothing: out of the type's range.
std::optional<qint64> inRange(qint64 number, qint64 low, qint64 high) {
  if (number < low || number > high) return std::nullopt;
  return number;
}

VARIANT variantOfType(VARTYPE type) {
  VARIANT value;
  VariantInit(&value);
  value.vt = type;
  return value;
}

}  // namespace

std::optional<VARIANT> DataTypeCode::parseUtf8(std::string_view utf8) const {
  const bool signedType = variantType_ == VT_BOOL || variantType_ == VT_I2 || variantType_ == VT_I4;
  VARIANT value = variantOfType(variantType_);
  if (variantType_ == VT_R4) {
    // Read as Qt reads it: to the nearest double, then to the nearest float.
    // A plain decimal this short is finite and far from the float's limits.
    if (const std::optional<double> number = plainDecimal(utf8)) {
      value.fltVal = static_cast<float>(*number);
      return value;
    }
  } else if (const std::optional<qint64> number = plainInteger(utf8, signedType)) {
    std::optional<qint64> fitting;
    switch (variantType_) {
      case VT_BOOL:
        value.boolVal = *number != 0 ? VARIANT_TRUE : VARIANT_FALSE;
        return value;
      case VT_UI2:
        if (!(fitting = inRange(*number, 0, USHRT_MAX))) return std::nullopt;
        value.uiVal = static_cast<USHORT>(*fitting);
        return value;
      case VT_UI4:
        value.ulVal = static_cast<ULONG>(*number);
        return value;
      case VT_I2:
        if (!(fitting = inRange(*number, SHRT_MIN, SHRT_MAX))) return std::nullopt;
        value.iVal = static_cast<SHORT>(*fitting);
        return value;
      case VT_I4:
        value.lVal = static_cast<LONG>(*number);
        return value;
      default:
        break;
    }
  }
  return parse(QString::fromUtf8(utf8.data(), static_cast<int>(utf8.size())));
}

VARIANT DataTypeCode::zero() const {
  VARIANT value = variantOfType(variantType_);
  if (variantType_ == VT_BOOL) value.boolVal = VARIANT_FALSE;
  return value;
}

std::optional<VARIANT> DataTypeCode::parse(const QString& text) const {
  VARIANT value = variantOfType(variantType_);
  bool ok = false;
  switch (variantType_) {
    case VT_BOOL:
      if (text == QLatin1String("true") || text == QLatin1String("false")) {
        value.boolVal = text == QLatin1String("true") ? VARIANT_TRUE : VARIANT_FALSE;
        return value;
      }
      value.boolVal = text.toInt(&ok, 10) != 0 ? VARIANT_TRUE : VARIANT_FALSE;
      break;
    case VT_UI2:
      value.uiVal = text.toUShort(&ok, 10);
      break;
    case VT_UI4:
      value.ulVal = text.toUInt(&ok, 10);
      break;
    case VT_I2:
      value.iVal = text.toShort(&ok, 10);
      break;
    case VT_I4:
      value.lVal = text.toInt(&ok, 10);
      break;
    case VT_R4:
      // Qt reads "inf" and "nan" as floats; neither is a measured value.
      value.fltVal = text.toFloat(&ok);
      ok = ok && std::isfinite(value.fltVal);
      break;
    default:
      break;
  }
  if (!ok) return std::nullopt;
  return value;
}

QString DataTypeCode::text(const VARIANT& value) const {
  switch (variantType_) {
    case VT_BOOL:
      return value.boolVal != VARIANT_FALSE ? QStringLiteral("1") : QStringLiteral("0");
    case VT_UI2:
      return QString::number(value.uiVal);
    case VT_UI4:
      return QString::number(value.ulVal);
    case VT_I2:
      return QString::number(value.iVal);
    case VT_I4:
      return QString::number(value.lVal);
    case VT_R4:
      return QString::number(static_cast<double>(value.fltVal), 'g', 6);
    default:
      return QString();
  }
}
