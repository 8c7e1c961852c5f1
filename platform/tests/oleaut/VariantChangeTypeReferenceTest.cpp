// VariantChangeType against the reference tables of the target platform's
// answers: every row of variant_change_type.tsv and the conversion groups of
// variant_misc.tsv.
#include "platform/bstr.h"
#include "platform/variant.h"
#include "support/ReferenceTable.h"
#include "support/TestVariants.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <set>

namespace {

const std::map<std::string, VARTYPE> kTypeNames = {
    {"VT_EMPTY", VT_EMPTY},     {"VT_NULL", VT_NULL},
    {"VT_I1", VT_I1},           {"VT_UI1", VT_UI1},
    {"VT_I2", VT_I2},           {"VT_UI2", VT_UI2},
    {"VT_I4", VT_I4},           {"VT_UI4", VT_UI4},
    {"VT_I8", VT_I8},           {"VT_UI8", VT_UI8},
    {"VT_INT", VT_INT},         {"VT_UINT", VT_UINT},
    {"VT_R4", VT_R4},           {"VT_R8", VT_R8},
    {"VT_CY", VT_CY},           {"VT_DATE", VT_DATE},
    {"VT_BSTR", VT_BSTR},       {"VT_BOOL", VT_BOOL},
    {"VT_UNKNOWN", VT_UNKNOWN}, {"VT_ARRAY|VT_I4", static_cast<VARTYPE>(VT_ARRAY | VT_I4)},
    {"0x000F", 0x000F},         {"0x7FFF", 0x7FFF},
};

VARTYPE TypeNamed(const std::string& name) { return kTypeNames.at(name); }

double ParseDouble(std::string text) {
  if (text == "NaN") return std::numeric_limits<double>::quiet_NaN();
  if (text == "+Inf") return std::numeric_limits<double>::infinity();
  if (text == "1.0/3.0") return 1.0 / 3.0;
  double value = 0;
  const std::from_chars_result parsed = std::from_chars(text.data(), text.data() + text.size(), value);
  if (parsed.ec != std::errc() || parsed.ptr != text.data() + text.size())
    throw std::invalid_argument("not a number: " + text);
  return value;
}

// The source a row describes: "EMPTY", "NULL", "I4:-1", "R4:0.1" (the float of
// that double), "R8:1.0/3.0", "BOOL:-1", "BSTR:\"12\"", "BSTR:(null pointer)",
// "DATE:0.5", "CY:1.5 (int64 15000)". The caller clears it.
VARIANT MakeSource(const std::string& description) {
  VARIANT v;
  VariantInit(&v);
  const size_t colon = description.find(':');
  const std::string kind = description.substr(0, colon);
  const std::string value = colon == std::string::npos ? "" : description.substr(colon + 1);
  if (kind == "EMPTY") return v;
  if (kind == "NULL") {
    v.vt = VT_NULL;
  } else if (kind == "BSTR") {
    v = value == "(null pointer)" ? VariantOf(VT_BSTR, 0) : TextVariant(UnquoteText(value));
  } else if (kind == "R4") {
    v.vt = VT_R4;
    v.fltVal = static_cast<float>(ParseDouble(value));
  } else if (kind == "R8" || kind == "DATE") {
    v.vt = kind == "R8" ? VT_R8 : VT_DATE;
    v.dblVal = ParseDouble(value);
  } else if (kind == "CY") {
    v.vt = VT_CY;
    v.cyVal.int64 = std::stoll(value.substr(value.find("int64 ") + 6));
  } else {
    v.vt = TypeNamed("VT_" + kind);
    v.llVal = std::stoll(value);
    if (v.vt == VT_UI4) v.llVal &= 0xFFFFFFFF;  // the union shares its low bytes
  }
  return v;
}

// What a conversion should give: an HRESULT and, on success, the type and the
// value as the tables print them (value and raw columns).
struct Expected {
  HRESULT hr = S_OK;
  std::string type;  // "-" after a failure
  std::string value;
  std::string raw;
};

template <typename Bits, typename Real>
Bits BitsOf(Real value) {
  Bits bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

// The variant holds what expected describes; type "-" stands for VT_EMPTY.
void ExpectVariant(const VARIANT& actual, const Expected& expected) {
  if (expected.type == "-") {
    EXPECT_EQ(actual.vt, VT_EMPTY);
    return;
  }
  const VARTYPE vt = TypeNamed(expected.type);
  ASSERT_EQ(actual.vt, vt);
  switch (vt) {
    case VT_I1:
      EXPECT_EQ(static_cast<int8_t>(actual.cVal), std::stoll(expected.value));
      break;
    case VT_UI1:
      EXPECT_EQ(actual.bVal, std::stoull(expected.value));
      break;
    case VT_I2:
    case VT_BOOL:
      EXPECT_EQ(actual.iVal, std::stoll(expected.value));
      break;
    case VT_UI2:
      EXPECT_EQ(actual.uiVal, std::stoull(expected.value));
      break;
    case VT_I4:
    case VT_INT:
      EXPECT_EQ(actual.lVal, std::stoll(expected.value));
      break;
    case VT_UI4:
    case VT_UINT:
      EXPECT_EQ(actual.ulVal, std::stoull(expected.value));
      break;
    case VT_I8:
      EXPECT_EQ(actual.llVal, std::stoll(expected.value));
      break;
    case VT_UI8:
      EXPECT_EQ(actual.ullVal, std::stoull(expected.value));
      break;
    case VT_R4:
      EXPECT_EQ(BitsOf<uint32_t>(actual.fltVal), std::stoul(expected.raw, nullptr, 16)) << actual.fltVal;
      break;
    case VT_R8:
    case VT_DATE:
      EXPECT_EQ(BitsOf<uint64_t>(actual.dblVal), std::stoull(expected.raw, nullptr, 16)) << actual.dblVal;
      break;
    case VT_CY:
      EXPECT_EQ(actual.cyVal.int64, std::stoll(expected.raw));
      break;
    case VT_BSTR:
      ASSERT_NE(actual.bstrVal, nullptr);
      EXPECT_EQ(TextOf(actual.bstrVal), UnquoteText(expected.value));
      EXPECT_EQ("len=" + std::to_string(SysStringLen(actual.bstrVal)), expected.raw);
      break;
    default:
      break;
  }
}

// Converts a fresh source and checks the result, and that the source is unchanged.
void ExpectConversion(const std::string& source, VARTYPE target, USHORT flags, LCID lcid, const Expected& expected) {
  VARIANT src = MakeSource(source);
  VARIANT original = MakeSource(source);
  VARIANT dst;
  VariantInit(&dst);
  EXPECT_EQ(VariantChangeTypeEx(&dst, &src, lcid, flags, target), expected.hr);
  ExpectVariant(dst, expected);
  EXPECT_TRUE(VariantValuesEqual(src, original)) << "the source changed";
  VariantClear(&dst);
  VariantClear(&src);
  VariantClear(&original);
}

HRESULT ParseHResult(const std::string& hex) { return static_cast<HRESULT>(std::stoul(hex, nullptr, 16)); }

// Rows where this layer answers differently on purpose, with what it gives instead.
struct Deviation {
  const char* source;
  const char* target;
  Expected expected;
};

const Expected kOverflow = {DISP_E_OVERFLOW, "-", "-", ""};
const Expected kMismatch = {DISP_E_TYPEMISMATCH, "-", "-", ""};

const Deviation kDeviations[] = {
    // NaN has no integer value: every integer target overflows (the reference
    // answers S_OK with arbitrary values such as 2147483647 or -1).
    {"R4:NaN", "VT_I1", kOverflow},
    {"R4:NaN", "VT_UI1", kOverflow},
    {"R4:NaN", "VT_I2", kOverflow},
    {"R4:NaN", "VT_UI2", kOverflow},
    {"R4:NaN", "VT_I4", kOverflow},
    {"R4:NaN", "VT_UI4", kOverflow},
    {"R4:NaN", "VT_I8", kOverflow},
    {"R4:NaN", "VT_UI8", kOverflow},
    {"R4:NaN", "VT_INT", kOverflow},
    {"R4:NaN", "VT_UINT", kOverflow},
    {"R8:NaN", "VT_I1", kOverflow},
    {"R8:NaN", "VT_UI1", kOverflow},
    {"R8:NaN", "VT_I2", kOverflow},
    {"R8:NaN", "VT_UI2", kOverflow},
    {"R8:NaN", "VT_I4", kOverflow},
    {"R8:NaN", "VT_UI4", kOverflow},
    {"R8:NaN", "VT_I8", kOverflow},
    {"R8:NaN", "VT_UI8", kOverflow},
    {"R8:NaN", "VT_INT", kOverflow},
    {"R8:NaN", "VT_UINT", kOverflow},
    // A DATE lies between 0100-01-01 and 9999-12-31 whatever the source type;
    // the reference checks the range for R8 and integers but not for R4 or NaN.
    {"R4:NaN", "VT_DATE", kOverflow},
    {"R8:NaN", "VT_DATE", kOverflow},
    {"R4:1e10", "VT_DATE", kOverflow},
    {"R4:3.4e38", "VT_DATE", kOverflow},
    {"R4:+Inf", "VT_DATE", kOverflow},
    {"R4:12345678", "VT_DATE", kOverflow},
    {"R4:16777217", "VT_DATE", kOverflow},
    // Hexadecimal and octal text is a number for currency as for every other
    // numeric type (the reference alone answers DISP_E_OVERFLOW here).
    {"BSTR:\"&H10\"", "VT_CY", {S_OK, "VT_CY", "16", "160000"}},
    {"BSTR:\"&O17\"", "VT_CY", {S_OK, "VT_CY", "15", "150000"}},
    // '.' is the decimal separator and ',' the digit grouping, so these texts
    // are numbers, not dates (the reference reads "1.5" as 01:05 and "1,000"
    // as January 2000). "1,5" and "1 2" give dates in the current year there.
    {"BSTR:\"1.5\"", "VT_DATE", kMismatch},
    {"BSTR:\"2.5\"", "VT_DATE", kMismatch},
    {"BSTR:\"3.5\"", "VT_DATE", kMismatch},
    {"BSTR:\"1,000\"", "VT_DATE", kMismatch},
    {"BSTR:\"1,5\"", "VT_DATE", kMismatch},
    {"BSTR:\"1 2\"", "VT_DATE", kMismatch},
    // Currency rounds half to even for every integer type; the reference gives
    // -3 for I8 alone (and -2 for I1, I2, I4 and INT).
    {"CY:-2.5 (int64 -25000)", "VT_I8", {S_OK, "VT_I8", "-2", ""}},
};

}  // namespace

// Every row, through VariantChangeType and through VariantChangeTypeEx with the
// German LCID, which must make no difference.
TEST(VariantChangeTypeReference, AnswersEveryRowOfTheTable) {
  const std::vector<ReferenceRow> rows = ReadReferenceTable("variant_change_type.tsv");
  ASSERT_EQ(rows.size(), 2816u);
  std::set<const Deviation*> used;
  for (const ReferenceRow& row : rows) {
    const std::string& source = row.at("source_value");
    const std::string& target = row.at("target_vt");
    SCOPED_TRACE(source + " -> " + target);
    Expected expected = {ParseHResult(row.at("hresult")), row.at("result_vt"), row.at("result"), row.at("result_raw")};
    for (const Deviation& deviation : kDeviations) {
      if (source == deviation.source && target == deviation.target) {
        expected = deviation.expected;
        used.insert(&deviation);
      }
    }
    ExpectConversion(source, TypeNamed(target), 0, 0x0409, expected);
    ExpectConversion(source, TypeNamed(target), 0, 0x0407, expected);
  }
  EXPECT_EQ(used.size(), std::size(kDeviations)) << "a deviation names no row of the table";
}

namespace {

// "VT_R4 1.5 [0x3FC00000]", "VT_BSTR \"old\" [len=3]", "VT_I2 7" or "-",
// optionally after "v = " or "dest = ".
Expected DescribedVariant(HRESULT hr, std::string text) {
  for (const char* prefix : {"v = ", "dest = "}) {
    if (text.rfind(prefix, 0) == 0) text = text.substr(std::strlen(prefix));
  }
  Expected expected{hr, text, "", ""};
  const size_t space = text.find(' ');
  if (space == std::string::npos) return expected;
  expected.type = text.substr(0, space);
  expected.value = text.substr(space + 1);
  const size_t bracket = expected.value.rfind(" [");
  if (bracket != std::string::npos) {
    expected.raw = expected.value.substr(bracket + 2, expected.value.size() - bracket - 3);
    expected.value = expected.value.substr(0, bracket);
  }
  return expected;
}

USHORT FlagsNamed(const std::string& name) {
  static const std::map<std::string, USHORT> kFlags = {{"0", 0},
                                                       {"VARIANT_ALPHABOOL", VARIANT_ALPHABOOL},
                                                       {"VARIANT_LOCALBOOL", VARIANT_LOCALBOOL},
                                                       {"VARIANT_NOUSEROVERRIDE", VARIANT_NOUSEROVERRIDE}};
  return kFlags.at(name);
}

// The word after "key=" in text, or "" without one.
std::string OptionValue(const std::string& text, const std::string& key) {
  const size_t at = text.find(key + "=");
  if (at == std::string::npos) return "";
  const size_t begin = at + key.size() + 1;
  return text.substr(begin, text.find(' ', begin) - begin);
}

// One conversion row of variant_misc.tsv: "<source> -> <target>[, dest==source]
// [with dest holding BSTR "old"][ flags=<name>][ lcid=<hex>]".
void ExpectMiscConversion(const std::string& description, const Expected& expected) {
  const size_t arrow = description.find(" -> ");
  const std::string source = description.substr(0, arrow);
  const std::string rest = description.substr(arrow + 4);
  const VARTYPE target = TypeNamed(rest.substr(0, rest.find_first_of(" ,")));
  const std::string flags = OptionValue(rest, "flags");
  const std::string lcid = OptionValue(rest, "lcid");
  VARIANT src = MakeSource(source);
  VARIANT dst = MakeSource(rest.find("dest holding BSTR") != std::string::npos ? "BSTR:\"old\"" : "EMPTY");
  VARIANT* destination = rest.find("dest==source") != std::string::npos ? &src : &dst;
  EXPECT_EQ(VariantChangeTypeEx(destination, &src, lcid.empty() ? 0 : std::stoul(lcid, nullptr, 16),
                                flags.empty() ? 0 : FlagsNamed(flags), target),
            expected.hr);
  ExpectVariant(*destination, expected);
  VariantClear(&src);
  VariantClear(&dst);
}

}  // namespace

// In-place conversion, what becomes of an occupied destination, the BOOL text
// flags and the LCID argument. The LCID is ignored: every text is read and
// written as in 0x0409, so the 0x0407 rows must answer as their 0x0409 twins.
TEST(VariantChangeTypeReference, AnswersTheConversionRowsOfTheMiscTable) {
  std::map<std::string, Expected> answersFor0409;
  int checked = 0;
  for (const ReferenceRow& row : ReadReferenceTable("variant_misc.tsv")) {
    const std::string& group = row.at("group");
    if (group != "in_place" && group != "dest_on_failure" && group != "dest_on_success" && group != "flags" &&
        group != "lcid") {
      continue;  // direct Var*From* calls are not provided; copies, clears and BSTRs have their own tests
    }
    const std::string& description = row.at("case");
    SCOPED_TRACE(description);
    Expected expected = DescribedVariant(ParseHResult(row.at("hresult")), row.at("after"));
    const size_t lcid = description.find(" lcid=");
    if (lcid != std::string::npos) {
      const std::string pair = description.substr(0, lcid);
      if (description.find("0x0409") != std::string::npos) answersFor0409[pair] = expected;
      expected = answersFor0409.at(pair);
    }
    ExpectMiscConversion(description, expected);
    ++checked;
  }
  EXPECT_EQ(checked, 43);
}
