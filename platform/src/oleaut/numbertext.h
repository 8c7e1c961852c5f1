// Number text of VariantChangeType, read and written in the forms of the en-US
// locale ('.' decimal separator, ',' digit grouping, '$' currency) whatever
// the process locale is.
#pragma once

#include "platform/wintypes.h"

#include <cstddef>
#include <string>

// Helpers of the variant conversions, not part of the platform's interface.
namespace oletext {

typedef __int128 Int128;

// The blanks that may surround number, boolean and date text: space, tab, CR,
// LF, VT and FF.
bool IsBlank(OLECHAR c);

// A parsed number: (negative ? -1 : 1) * digits * 10^exponent, kept exactly so
// that each target type rounds only once.
struct DecimalNumber {
  bool negative = false;
  std::string digits;  // significant digits, without leading or trailing zeros; empty for zero
  int exponent = 0;
};

// Accepts blanks around the number; a sign before or after it, or parentheses
// for a negative number; one '$' before the digits; ',' anywhere after the
// first digit (ignored); one '.'; an exponent; and &H / &O hexadecimal and
// octal integers. DISP_E_TYPEMISMATCH for any other text, DISP_E_OVERFLOW for
// a hexadecimal or octal number beyond 64 bits or more than a million digits.
HRESULT ParseNumberText(const OLECHAR* text, size_t length, DecimalNumber* number);
// Nearest double or float; DISP_E_OVERFLOW beyond the type's range, zero below it.
HRESULT DecimalToDouble(const DecimalNumber& number, double* value);
HRESULT DecimalToFloat(const DecimalNumber& number, float* value);
// number * 10^scale rounded to an integer, half to even; DISP_E_OVERFLOW
// beyond 64 bits of magnitude.
HRESULT DecimalToScaledInteger(const DecimalNumber& number, int scale, Int128* value);

// Formatting writes at most kNumberTextCapacity characters, without a terminator,
// and returns their count.
constexpr size_t kNumberTextCapacity = 32;
size_t FormatInteger(Int128 value, char* buffer);
// 15 significant digits for a double and 7 for a float, without trailing zeros;
// exponent notation only when the decimal exponent is below -4 or reaches the
// digit count ("0.0001", "1E-05", "123456789012346", "1E+15"). Zero of either
// sign is "0".
size_t FormatDouble(double value, char* buffer);
size_t FormatFloat(float value, char* buffer);
// A currency amount (value scaled by 10000) without trailing zeros: "-2.5", "0.1234", "12".
size_t FormatCurrency(LONGLONG scaled, char* buffer);

}  // namespace oletext
