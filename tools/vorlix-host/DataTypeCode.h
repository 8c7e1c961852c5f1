// The platform's data-type codes: which VARIANT type a variable's tag has. A
// code of a box of version 1 is remapped first (1 -> 3, 2 -> 6, 3 -> 7, 6 -> 10).
#pragma once

#include "platform/variant.h"

#include <string>

class DataTypeCode {
 public:
  static int Remapped(int dataType, int deviceVersion);
  // The VARIANT type of a code; VT_R8 for a code the platform does not define,
  // which every type a client may ask for can take.
  static VARTYPE TypeOf(int code);
  // A VARIANT of the code's type holding the value text, zero when the text
  // does not convert or is out of the type's range.
  static VARIANT ValueOf(int code, const std::string& text);
  // The same for a number (rounded for the integer types, clamped to the range).
  static VARIANT ValueOf(int code, double number);
};
