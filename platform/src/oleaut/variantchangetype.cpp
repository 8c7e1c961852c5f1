// VariantChangeType: conversions between the scalar types, EMPTY and NULL.
// Each source value is read once into a Source, and each target type has one
// routine that turns any Source into it. Numeric conversions work on the stack;
// only text results allocate.
#include "platform/variant.h"

#include "oleaut/datetext.h"
#include "oleaut/numbertext.h"
#include "oleaut/varianttype.h"
#include "platform/bstr.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace {

using namespace oletext;

constexpr LONGLONG kCurrencyScale = 10000;
// DATE values outside these bounds (exclusive) are not dates.
constexpr double kDateLowerLimit = -657435.0;
constexpr double kDateUpperLimit = 2958466.0;

enum class SourceKind { Empty, Integer, Boolean, Real, Date, Currency, Text };

struct Source {
  SourceKind kind = SourceKind::Empty;
  Int128 integer = 0;  // Integer and Boolean
  int integerBytes = 0;
  bool integerSigned = true;
  double real = 0;      // Real and Date
  bool single = false;  // a Real that came from VT_R4
  LONGLONG currency = 0;
  BSTR text = nullptr;
};

bool ReadInteger(Source* s, Int128 value, int bytes, bool isSigned, SourceKind kind = SourceKind::Integer) {
  s->kind = kind;
  s->integer = value;
  s->integerBytes = bytes;
  s->integerSigned = isSigned;
  return true;
}

bool ReadReal(Source* s, double value, SourceKind kind, bool single = false) {
  s->kind = kind;
  s->real = value;
  s->single = single;
  return true;
}

// False for the types that convert to nothing but themselves, and for NULL.
bool ReadSource(const VARIANT& v, Source* s) {
  switch (v.vt) {
    case VT_EMPTY:
      s->kind = SourceKind::Empty;
      return true;
    case VT_I1:
      return ReadInteger(s, static_cast<int8_t>(v.cVal), 1, true);
    case VT_UI1:
      return ReadInteger(s, v.bVal, 1, false);
    case VT_I2:
      return ReadInteger(s, v.iVal, 2, true);
    case VT_UI2:
      return ReadInteger(s, v.uiVal, 2, false);
    case VT_I4:
    case VT_INT:
      return ReadInteger(s, v.lVal, 4, true);
    case VT_UI4:
    case VT_UINT:
      return ReadInteger(s, v.ulVal, 4, false);
    case VT_I8:
      return ReadInteger(s, v.llVal, 8, true);
    case VT_UI8:
      return ReadInteger(s, v.ullVal, 8, false);
    case VT_BOOL:
      return ReadInteger(s, v.boolVal, 2, true, SourceKind::Boolean);
    case VT_R4:
      return ReadReal(s, v.fltVal, SourceKind::Real, true);
    case VT_R8:
      return ReadReal(s, v.dblVal, SourceKind::Real);
    case VT_DATE:
      return ReadReal(s, v.date, SourceKind::Date);
    case VT_CY:
      s->kind = SourceKind::Currency;
      s->currency = v.cyVal.int64;
      return true;
    case VT_BSTR:
      s->kind = SourceKind::Text;
      s->text = v.bstrVal;
      return true;
    default:
      return false;
  }
}

HRESULT ParseNumber(const Source& s, DecimalNumber* number) {
  return ParseNumberText(s.text, SysStringLen(s.text), number);
}

double RoundHalfEven(double value) {
  const double below = std::floor(value);
  const double fraction = value - below;
  if (fraction > 0.5) return below + 1;
  if (fraction < 0.5) return below;
  return std::fmod(below, 2.0) == 0 ? below : below + 1;
}

// Whole units of a currency amount, half to even.
Int128 RoundCurrency(LONGLONG scaled) {
  Int128 units = scaled / kCurrencyScale;
  const LONGLONG remainder = scaled % kCurrencyScale;
  const bool odd = (units & 1) != 0;
  if (remainder > kCurrencyScale / 2 || (remainder == kCurrencyScale / 2 && odd)) ++units;
  if (remainder < -kCurrencyScale / 2 || (remainder == -kCurrencyScale / 2 && odd)) --units;
  return units;
}

// value * 10000 rounded half to even from the exact binary value, so that no
// intermediate product is rounded first.
HRESULT DoubleToCurrency(double value, LONGLONG* scaled) {
  if (!(std::fabs(value) < 1e15)) return DISP_E_OVERFLOW;  // beyond any currency amount, or NaN
  int binaryExponent = 0;
  const double fraction = std::frexp(std::fabs(value), &binaryExponent);
  // |value| = mantissa / 2^shift with a 53-bit integer mantissa; below 1e15 the shift is at least 3.
  const Int128 mantissa = static_cast<Int128>(std::ldexp(fraction, 53));
  const int shift = 53 - binaryExponent;
  const Int128 product = mantissa * kCurrencyScale;
  Int128 result = 0;
  if (shift < 100) {
    result = product >> shift;
    const Int128 remainder = product - (result << shift);
    const Int128 half = Int128{1} << (shift - 1);
    if (remainder > half || (remainder == half && (result & 1) != 0)) ++result;
  }
  if (value < 0) result = -result;
  if (result < std::numeric_limits<LONGLONG>::min() || result > std::numeric_limits<LONGLONG>::max())
    return DISP_E_OVERFLOW;
  *scaled = static_cast<LONGLONG>(result);
  return S_OK;
}

double IntegerToDouble(const Source& s) {
  return s.integerSigned ? static_cast<double>(static_cast<int64_t>(s.integer))
                         : static_cast<double>(static_cast<uint64_t>(s.integer));
}

template <typename T>
HRESULT ToInteger(const Source& s, T* out) {
  constexpr bool kSigned = std::numeric_limits<T>::is_signed;
  Int128 value = 0;
  switch (s.kind) {
    case SourceKind::Empty:
      break;
    case SourceKind::Integer:
    case SourceKind::Boolean:
      // Between integers of one size the bits carry over, as they do from a
      // BOOL to any unsigned type; otherwise the value must fit.
      if ((s.kind == SourceKind::Integer && s.integerBytes == int{sizeof(T)} && s.integerSigned != kSigned) ||
          (s.kind == SourceKind::Boolean && !kSigned)) {
        *out = static_cast<T>(s.integer);
        return S_OK;
      }
      value = s.integer;
      break;
    case SourceKind::Real:
    case SourceKind::Date: {
      const double rounded = RoundHalfEven(s.real);
      if (!(std::fabs(rounded) < 0x1p100)) return DISP_E_OVERFLOW;  // far out of range, infinite or NaN
      value = static_cast<Int128>(rounded);
      break;
    }
    case SourceKind::Currency:
      value = RoundCurrency(s.currency);
      break;
    case SourceKind::Text: {
      DecimalNumber number;
      HRESULT hr = ParseNumber(s, &number);
      if (SUCCEEDED(hr)) hr = DecimalToScaledInteger(number, 0, &value);
      if (FAILED(hr)) return hr;
      break;
    }
  }
  if (value < Int128{std::numeric_limits<T>::min()} || value > Int128{std::numeric_limits<T>::max()})
    return DISP_E_OVERFLOW;
  *out = static_cast<T>(value);
  return S_OK;
}

HRESULT ToDouble(const Source& s, double* out) {
  switch (s.kind) {
    case SourceKind::Empty:
      *out = 0;
      return S_OK;
    case SourceKind::Integer:
    case SourceKind::Boolean:
      *out = IntegerToDouble(s);
      return S_OK;
    case SourceKind::Real:
    case SourceKind::Date:
      *out = s.real;
      return S_OK;
    case SourceKind::Currency:
      *out = static_cast<double>(s.currency) / kCurrencyScale;
      return S_OK;
    case SourceKind::Text: {
      DecimalNumber number;
      const HRESULT hr = ParseNumber(s, &number);
      return FAILED(hr) ? hr : DecimalToDouble(number, out);
    }
  }
  return DISP_E_TYPEMISMATCH;
}

HRESULT ToFloat(const Source& s, float* out) {
  switch (s.kind) {
    case SourceKind::Integer:
    case SourceKind::Boolean:
      // Straight from the integer, so that it is rounded once.
      *out = s.integerSigned ? static_cast<float>(static_cast<int64_t>(s.integer))
                             : static_cast<float>(static_cast<uint64_t>(s.integer));
      return S_OK;
    case SourceKind::Text: {
      DecimalNumber number;
      const HRESULT hr = ParseNumber(s, &number);
      return FAILED(hr) ? hr : DecimalToFloat(number, out);
    }
    default: {
      double value;
      const HRESULT hr = ToDouble(s, &value);
      if (FAILED(hr)) return hr;
      const float narrowed = static_cast<float>(value);
      if (std::isinf(narrowed)) return DISP_E_OVERFLOW;
      *out = narrowed;
      return S_OK;
    }
  }
}

HRESULT ToDate(const Source& s, DATE* out) {
  if (s.kind == SourceKind::Text) return ParseDateText(s.text, SysStringLen(s.text), out);
  double value;
  const HRESULT hr = ToDouble(s, &value);
  if (FAILED(hr)) return hr;
  if (!(value > kDateLowerLimit && value < kDateUpperLimit)) return DISP_E_OVERFLOW;  // NaN included
  *out = value;
  return S_OK;
}

HRESULT ToCurrency(const Source& s, LONGLONG* out) {
  Int128 value = 0;
  switch (s.kind) {
    case SourceKind::Empty:
      break;
    case SourceKind::Integer:
    case SourceKind::Boolean:
      value = s.integer * kCurrencyScale;
      break;
    case SourceKind::Real:
    case SourceKind::Date:
      return DoubleToCurrency(s.real, out);
    case SourceKind::Currency:
      value = s.currency;
      break;
    case SourceKind::Text: {
      DecimalNumber number;
      HRESULT hr = ParseNumber(s, &number);
      if (SUCCEEDED(hr)) hr = DecimalToScaledInteger(number, 4, &value);
      if (FAILED(hr)) return hr;
      break;
    }
  }
  if (value < std::numeric_limits<LONGLONG>::min() || value > std::numeric_limits<LONGLONG>::max())
    return DISP_E_OVERFLOW;
  *out = static_cast<LONGLONG>(value);
  return S_OK;
}

// Compares ASCII letters case-insensitively.
bool TextEquals(BSTR text, UINT length, const char* word) {
  for (UINT i = 0; i < length; ++i, ++word) {
    OLECHAR c = text[i];
    if (c >= u'a' && c <= u'z') c = static_cast<OLECHAR>(c - u'a' + u'A');
    if (*word == '\0' || c != static_cast<OLECHAR>(*word)) return false;
  }
  return *word == '\0';
}

// The names of the two values, in either spelling; blanks around them are ignored.
bool ReadBooleanWord(BSTR text, VARIANT_BOOL* out) {
  UINT begin = 0;
  UINT end = SysStringLen(text);
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  const BSTR word = text + begin;
  const UINT length = end - begin;
  if (TextEquals(word, length, "TRUE") || TextEquals(word, length, "#TRUE#")) {
    *out = VARIANT_TRUE;
    return true;
  }
  if (TextEquals(word, length, "FALSE") || TextEquals(word, length, "#FALSE#")) {
    *out = VARIANT_FALSE;
    return true;
  }
  return false;
}

HRESULT ToBoolean(const Source& s, VARIANT_BOOL* out) {
  bool isTrue = false;
  switch (s.kind) {
    case SourceKind::Empty:
      break;
    case SourceKind::Integer:
    case SourceKind::Boolean:
      isTrue = s.integer != 0;
      break;
    case SourceKind::Real:
    case SourceKind::Date:
      isTrue = s.real != 0;  // NaN is true
      break;
    case SourceKind::Currency:
      isTrue = s.currency != 0;
      break;
    case SourceKind::Text: {
      if (s.text != nullptr && ReadBooleanWord(s.text, out)) return S_OK;
      double value;
      const HRESULT hr = ToDouble(s, &value);
      if (FAILED(hr)) return hr;
      isTrue = value != 0;
      break;
    }
  }
  *out = isTrue ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

BSTR AsciiToBstr(const char* text, size_t length) {
  BSTR result = SysAllocStringLen(nullptr, static_cast<UINT>(length));
  if (result != nullptr) {
    for (size_t i = 0; i < length; ++i) result[i] = static_cast<unsigned char>(text[i]);
  }
  return result;
}

HRESULT ToText(const Source& s, USHORT flags, BSTR* out) {
  char buffer[kNumberTextCapacity > kDateTextCapacity ? kNumberTextCapacity : kDateTextCapacity];
  size_t length = 0;
  switch (s.kind) {
    case SourceKind::Empty:
      break;
    case SourceKind::Boolean:
      if (flags & (VARIANT_ALPHABOOL | VARIANT_LOCALBOOL)) {
        const char* word = s.integer != 0 ? "True" : "False";
        length = std::strlen(word);
        std::memcpy(buffer, word, length);
        break;
      }
      [[fallthrough]];
    case SourceKind::Integer:
      length = FormatInteger(s.integer, buffer);
      break;
    case SourceKind::Real:
      length = s.single ? FormatFloat(static_cast<float>(s.real), buffer) : FormatDouble(s.real, buffer);
      break;
    case SourceKind::Date:
      length = FormatDateText(s.real, buffer);
      if (length == 0) return E_INVALIDARG;
      break;
    case SourceKind::Currency:
      length = FormatCurrency(s.currency, buffer);
      break;
    case SourceKind::Text:
      return DISP_E_TYPEMISMATCH;  // BSTR to BSTR is a copy, made before any conversion
  }
  *out = AsciiToBstr(buffer, length);
  return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}

// Converts src into the empty result; the caller stores the result only on success.
HRESULT Coerce(const VARIANT& src, USHORT flags, VARTYPE vt, VARIANT* result) {
  if (vt == src.vt) return VariantCopy(result, &src);
  if (vt == VT_NULL) {
    result->vt = VT_NULL;
    return S_OK;
  }
  if (src.vt == VT_NULL) return DISP_E_TYPEMISMATCH;
  if (vt == VT_EMPTY) return S_OK;
  Source s;
  if (!ReadSource(src, &s)) return DISP_E_TYPEMISMATCH;
  HRESULT hr;
  switch (vt) {
    case VT_I1:
      hr = ToInteger(s, reinterpret_cast<int8_t*>(&result->cVal));
      break;
    case VT_UI1:
      hr = ToInteger(s, &result->bVal);
      break;
    case VT_I2:
      hr = ToInteger(s, &result->iVal);
      break;
    case VT_UI2:
      hr = ToInteger(s, &result->uiVal);
      break;
    case VT_I4:
      hr = ToInteger(s, &result->lVal);
      break;
    case VT_UI4:
      hr = ToInteger(s, &result->ulVal);
      break;
    case VT_INT:
      hr = ToInteger(s, &result->intVal);
      break;
    case VT_UINT:
      hr = ToInteger(s, &result->uintVal);
      break;
    case VT_I8:
      hr = ToInteger(s, &result->llVal);
      break;
    case VT_UI8:
      hr = ToInteger(s, &result->ullVal);
      break;
    case VT_R4:
      hr = ToFloat(s, &result->fltVal);
      break;
    case VT_R8:
      hr = ToDouble(s, &result->dblVal);
      break;
    case VT_DATE:
      hr = ToDate(s, &result->date);
      break;
    case VT_CY:
      hr = ToCurrency(s, &result->cyVal.int64);
      break;
    case VT_BOOL:
      hr = ToBoolean(s, &result->boolVal);
      break;
    case VT_BSTR:
      hr = ToText(s, flags, &result->bstrVal);
      break;
    default:
      return DISP_E_TYPEMISMATCH;
  }
  if (SUCCEEDED(hr)) result->vt = vt;
  return hr;
}

}  // namespace

HRESULT VariantChangeTypeEx(VARIANTARG* pvargDest, const VARIANTARG* pvarSrc, LCID /*lcid*/, USHORT wFlags,
                            VARTYPE vt) {
  if (pvargDest == nullptr || pvarSrc == nullptr) return E_INVALIDARG;
  if (!IsValidVariantType(pvarSrc->vt) || !IsValidVariantType(vt)) return DISP_E_BADVARTYPE;
  VARIANT result;
  VariantInit(&result);
  HRESULT hr = Coerce(*pvarSrc, wFlags, vt, &result);
  if (FAILED(hr)) return hr;
  // When converting in place this frees the source's old value, which is no longer needed.
  hr = VariantClear(pvargDest);
  if (FAILED(hr)) {
    VariantClear(&result);
    return hr;
  }
  *pvargDest = result;
  return S_OK;
}

HRESULT VariantChangeType(VARIANTARG* pvargDest, const VARIANTARG* pvarSrc, USHORT wFlags, VARTYPE vt) {
  return VariantChangeTypeEx(pvargDest, pvarSrc, 0, wFlags, vt);
}
