#include "oleaut/numbertext.h"

#include "platform/hresult.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <limits>
#include <system_error>

namespace oletext {

namespace {

// Exponents and digit counts beyond this only ever mean overflow or zero;
// capping them keeps the exponent arithmetic in range.
constexpr int kExponentCap = 1000000;

bool IsDigit(OLECHAR c) { return c >= u'0' && c <= u'9'; }

int DigitValue(OLECHAR c, int radix) {
  int value = radix;
  if (c >= u'0' && c <= u'9') {
    value = c - u'0';
  } else if (c >= u'a' && c <= u'f') {
    value = c - u'a' + 10;
  } else if (c >= u'A' && c <= u'F') {
    value = c - u'A' + 10;
  }
  return value < radix ? value : -1;
}

void SetDigits(std::string digits, int exponent, DecimalNumber* number) {
  size_t first = digits.find_first_not_of('0');
  if (first == std::string::npos) {
    number->digits.clear();
    number->exponent = 0;
    return;
  }
  const size_t last = digits.find_last_not_of('0');
  number->exponent = exponent + static_cast<int>(digits.size() - 1 - last);
  number->digits = digits.substr(first, last - first + 1);
}

// "&H1F" / "&O17" after the '&'.
HRESULT ParseRadixInteger(const OLECHAR* text, size_t length, DecimalNumber* number) {
  if (length < 2) return DISP_E_TYPEMISMATCH;
  int radix;
  if (text[0] == u'H' || text[0] == u'h') {
    radix = 16;
  } else if (text[0] == u'O' || text[0] == u'o') {
    radix = 8;
  } else {
    return DISP_E_TYPEMISMATCH;
  }
  uint64_t value = 0;
  bool overflow = false;
  for (size_t i = 1; i < length; ++i) {
    const int digit = DigitValue(text[i], radix);
    if (digit < 0) return DISP_E_TYPEMISMATCH;
    if (value > (UINT64_MAX - static_cast<uint64_t>(digit)) / static_cast<uint64_t>(radix)) overflow = true;
    value = value * static_cast<uint64_t>(radix) + static_cast<uint64_t>(digit);
  }
  if (overflow) return DISP_E_OVERFLOW;
  number->negative = false;
  SetDigits(std::to_string(value), 0, number);
  return S_OK;
}

bool IsSign(OLECHAR c) { return c == u'+' || c == u'-'; }

template <typename Real>
HRESULT DecimalToReal(const DecimalNumber& number, int decimalRange, Real* value) {
  if (number.digits.empty()) {
    *value = number.negative ? -Real(0) : Real(0);
    return S_OK;
  }
  // Decimal exponent of the leading digit, plus one.
  const int64_t magnitude = static_cast<int64_t>(number.digits.size()) + number.exponent;
  Real result = 0;
  if (magnitude > decimalRange) return DISP_E_OVERFLOW;
  if (magnitude >= -decimalRange) {
    std::string text = number.digits;
    text += 'e';
    text += std::to_string(number.exponent);
    const std::from_chars_result parsed = std::from_chars(text.data(), text.data() + text.size(), result);
    if (parsed.ec == std::errc::result_out_of_range) {
      if (magnitude > 0) return DISP_E_OVERFLOW;
      result = 0;
    }
  }
  *value = number.negative ? -result : result;
  return S_OK;
}

template <typename Real>
size_t FormatReal(Real value, int significantDigits, char* buffer) {
  if (value == 0) {
    buffer[0] = '0';
    return 1;
  }
  const std::to_chars_result written =
      std::to_chars(buffer, buffer + kNumberTextCapacity, value, std::chars_format::general, significantDigits);
  // "1e+15" -> "1E+15", "nan" -> "NAN", "inf" -> "INF".
  for (char* c = buffer; c != written.ptr; ++c) {
    if (*c >= 'a' && *c <= 'z') *c = static_cast<char>(*c - 'a' + 'A');
  }
  return static_cast<size_t>(written.ptr - buffer);
}

size_t FormatUnsigned(uint64_t value, char* buffer) {
  return static_cast<size_t>(std::to_chars(buffer, buffer + kNumberTextCapacity, value).ptr - buffer);
}

}  // namespace

bool IsBlank(OLECHAR c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f'; }

HRESULT ParseNumberText(const OLECHAR* text, size_t length, DecimalNumber* number) {
  size_t begin = 0;
  size_t end = length;
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  if (begin == end) return DISP_E_TYPEMISMATCH;
  if (text[begin] == u'&') return ParseRadixInteger(text + begin + 1, end - begin - 1, number);

  bool negative = false;
  bool signSeen = false;
  if (text[begin] == u'(') {
    if (end - begin < 2 || text[end - 1] != u')') return DISP_E_TYPEMISMATCH;
    negative = signSeen = true;
    ++begin;
    --end;
  }
  bool currency = false;
  for (;;) {
    if (begin < end && !signSeen && IsSign(text[begin])) {
      negative = text[begin] == u'-';
      signSeen = true;
    } else if (begin < end && !currency && text[begin] == u'$') {
      currency = true;
    } else {
      break;
    }
    ++begin;
  }
  if (!signSeen && end > begin && IsSign(text[end - 1])) {
    negative = text[end - 1] == u'-';
    --end;
  }

  std::string digits;
  int64_t exponent = 0;
  bool anyDigit = false;
  bool point = false;
  size_t i = begin;
  for (; i < end; ++i) {
    const OLECHAR c = text[i];
    if (IsDigit(c)) {
      anyDigit = true;
      if (digits.empty() && c == u'0') {
        if (point) exponent = std::max<int64_t>(exponent - 1, -kExponentCap);
        continue;
      }
      digits.push_back(static_cast<char>(c));
      if (point) --exponent;
    } else if (c == u',' && anyDigit) {
      continue;
    } else if (c == u'.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (!anyDigit) return DISP_E_TYPEMISMATCH;
  if (i < end && (text[i] == u'e' || text[i] == u'E')) {
    ++i;
    bool negativeExponent = false;
    if (i < end && IsSign(text[i])) negativeExponent = text[i++] == u'-';
    if (i == end) return DISP_E_TYPEMISMATCH;
    int64_t written = 0;
    for (; i < end && IsDigit(text[i]); ++i) written = std::min<int64_t>(written * 10 + (text[i] - u'0'), kExponentCap);
    exponent += negativeExponent ? -written : written;
  }
  if (i != end) return DISP_E_TYPEMISMATCH;
  // With the digits capped as well, the exponent stays within a few million.
  if (digits.size() > static_cast<size_t>(kExponentCap)) return DISP_E_OVERFLOW;
  number->negative = negative;
  SetDigits(std::move(digits), static_cast<int>(exponent), number);
  return S_OK;
}

HRESULT DecimalToDouble(const DecimalNumber& number, double* value) { return DecimalToReal(number, 400, value); }

HRESULT DecimalToFloat(const DecimalNumber& number, float* value) { return DecimalToReal(number, 50, value); }

HRESULT DecimalToScaledInteger(const DecimalNumber& number, int scale, Int128* value) {
  const int64_t size = static_cast<int64_t>(number.digits.size());
  // Count of digits before the decimal point once scaled; 20 digits exceed 64 bits.
  const int64_t integerDigits = size + number.exponent + scale;
  if (number.digits.empty() || integerDigits < 0) {
    *value = 0;
    return S_OK;
  }
  if (integerDigits > 20) return DISP_E_OVERFLOW;
  Int128 magnitude = 0;
  for (int64_t i = 0; i < integerDigits; ++i) magnitude = magnitude * 10 + (i < size ? number.digits[i] - '0' : 0);
  if (integerDigits < size) {
    // Digits carry no trailing zeros, so any digit after the first dropped one is non-zero.
    const int dropped = number.digits[integerDigits] - '0';
    const bool moreFollow = integerDigits + 1 < size;
    if (dropped > 5 || (dropped == 5 && (moreFollow || (magnitude & 1) != 0))) ++magnitude;
  }
  if (magnitude > Int128{UINT64_MAX}) return DISP_E_OVERFLOW;
  *value = number.negative ? -magnitude : magnitude;
  return S_OK;
}

size_t FormatInteger(Int128 value, char* buffer) {
  if (value >= 0) return FormatUnsigned(static_cast<uint64_t>(value), buffer);
  buffer[0] = '-';
  return 1 + FormatUnsigned(static_cast<uint64_t>(-value), buffer + 1);
}

size_t FormatDouble(double value, char* buffer) { return FormatReal(value, 15, buffer); }

size_t FormatFloat(float value, char* buffer) { return FormatReal(value, 7, buffer); }

size_t FormatCurrency(LONGLONG scaled, char* buffer) {
  size_t length = FormatInteger(scaled / 10000, buffer);
  int fraction = static_cast<int>(scaled % 10000);
  if (fraction == 0) return length;
  if (fraction < 0) {
    fraction = -fraction;
    // -0.5 has no whole part to carry the sign.
    if (scaled > -10000) {
      buffer[0] = '-';
      buffer[1] = '0';
      length = 2;
    }
  }
  buffer[length++] = '.';
  for (int divisor = 1000; fraction != 0; divisor /= 10) {
    buffer[length++] = static_cast<char>('0' + fraction / divisor);
    fraction %= divisor;
  }
  return length;
}

}  // namespace oletext
