#include "DataTypeCode.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace {

struct IntegerRange {
  double low;
  double high;
};

IntegerRange RangeOf(VARTYPE type) {
  switch (type) {
    case VT_UI2: return {0, 65535};
    case VT_UI4: return {0, 4294967295.0};
    case VT_I2: return {-32768, 32767};
    case VT_I4: return {-2147483648.0, 2147483647.0};
    default: return {0, 0};
  }
}

}  // namespace

int DataTypeCode::Remapped(int dataType, int deviceVersion) {
  if (deviceVersion != 1) return dataType;
  switch (dataType) {
    case 1: return 3;
    case 2: return 6;
    case 3: return 7;
    case 6: return 10;
    default: return dataType;
  }
}

VARTYPE DataTypeCode::TypeOf(int code) {
  switch (code) {
    case -1: return VT_BOOL;
    case 0:
    case 4: return VT_UI2;
    case 3:
    case 5: return VT_UI4;
    case 6: return VT_I2;
    case 7: return VT_I4;
    case 10: return VT_R4;
    default: return VT_R8;
  }
}

VARIANT DataTypeCode::ValueOf(int code, const std::string& text) {
  const VARTYPE type = TypeOf(code);
  errno = 0;
  char* end = nullptr;
  double number = 0;
  if (type == VT_R4 || type == VT_R8) {
    number = std::strtod(text.c_str(), &end);
  } else {
    // Integers are read in base 10 and must be whole: "1.5" is no integer.
    number = static_cast<double>(std::strtoll(text.c_str(), &end, 10));
  }
  const bool converts = !text.empty() && end == text.c_str() + text.size() && errno == 0;
  if (!converts) number = 0;
  if (type != VT_R4 && type != VT_R8 && type != VT_BOOL) {
    const IntegerRange range = RangeOf(type);
    if (number < range.low || number > range.high) number = 0;
  }
  return ValueOf(code, number);
}

VARIANT DataTypeCode::ValueOf(int code, double number) {
  VARIANT value;
  VariantInit(&value);
  const VARTYPE type = TypeOf(code);
  V_VT(&value) = type;
  if (type == VT_BOOL) {
    V_BOOL(&value) = number != 0 ? VARIANT_TRUE : VARIANT_FALSE;
    return value;
  }
  if (type == VT_R4) {
    V_R4(&value) = static_cast<float>(number);
    return value;
  }
  if (type == VT_R8) {
    V_R8(&value) = number;
    return value;
  }
  const IntegerRange range = RangeOf(type);
  const double whole = std::fmin(std::fmax(std::round(number), range.low), range.high);
  switch (type) {
    case VT_UI2: V_UI2(&value) = static_cast<USHORT>(whole); break;
    case VT_UI4: V_UI4(&value) = static_cast<ULONG>(whole); break;
    case VT_I2: V_I2(&value) = static_cast<SHORT>(whole); break;
    default: V_I4(&value) = static_cast<LONG>(whole); break;
  }
  return value;
}
