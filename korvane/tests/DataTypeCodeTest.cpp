#include <cstring>
#include <optional>
#include <string_view>

#include <gtest/gtest.h>

#include "datatypecode.h"
#include "support/variants.h"

TEST(DataTypeCode, VersionOneBoxesNumberTheirTypesDifferently) {
  const struct {
    int dataType, devVersion, code;
  } cases[] = {{1, 1, 3}, {2, 1, 6}, {3, 1, 7}, {6, 1, 10}, {5, 1, 5}, {-1, 1, -1},
               {1, 0, 1}, {2, 0, 2}, {6, 0, 6}, {2, 2, 2}};
  for (const auto& c : cases)
    EXPECT_EQ(DataTypeCode::of(c.dataType, c.devVersion), c.code) << c.dataType << " version " << c.devVersion;
}

TEST(DataTypeCode, EachCodeOfTheTableHasItsTypeAndZeroAndOthersHaveNone) {
  const struct {
    int code;
    VARTYPE type;
  } cases[] = {{-1, VT_BOOL}, {0, VT_UI2}, {3, VT_UI4}, {4, VT_UI2},
               {5, VT_UI4},   {6, VT_I2},  {7, VT_I4},  {10, VT_R4}};
  for (const auto& c : cases) {
    const DataTypeCode* type = DataTypeCode::find(c.code);
    ASSERT_NE(type, nullptr) << c.code;
    const VARIANT zero = type->zero();
    EXPECT_EQ(zero.vt, c.type) << c.code;
    EXPECT_EQ(zero.llVal, 0) << c.code;
  }
  for (int code : {1, 2, 8, 9, 11, -2}) EXPECT_EQ(DataTypeCode::find(code), nullptr) << code;
}

TEST(DataTypeCode, PushedTextsConvertOnlyWhenTheyAreAValueOfTheType) {
  constexpr LONGLONG refused = -1;
  const struct {
    int code;
    const char* text;
    LONGLONG bits;  // the value's 8 bytes, as an integer of the type; or refused
  } cases[] = {
      {-1, "5", static_cast<SHORT>(VARIANT_TRUE) & 0xFFFF},
      {-1, "0", 0},
      {-1, "true", static_cast<SHORT>(VARIANT_TRUE) & 0xFFFF},
      {-1, "false", 0},
      {-1, "True", refused},
      {-1, "abc", refused},
      {-1, "1.0", refused},
      {0, "65535", 65535},
      {0, "70000", refused},
      {0, "abc", refused},
      {4, "-1", refused},
      {3, "70000", 70000},
      {5, "4294967295", 4294967295LL},
      {5, "4294967296", refused},
      {3, "-5", refused},
      {6, "-5", 0xFFFB},
      {6, "40000", refused},
      {6, "70000", refused},
      {7, "-5", 0xFFFFFFFB},
      {7, "12.0", refused},
      {7, "1.9", refused},
      {7, "NaN", refused},
      {7, "inf", refused},
      {7, "1e3", refused},
      {7, "", refused},
  };
  for (const auto& c : cases) {
    const DataTypeCode* type = DataTypeCode::find(c.code);
    const std::optional<VARIANT> value = type->parse(QString::fromLatin1(c.text));
    ASSERT_EQ(value.has_value(), c.bits != refused) << c.code << " " << c.text;
    if (!value) continue;
    EXPECT_EQ(value->vt, type->variantType()) << c.code << " " << c.text;
    EXPECT_EQ(value->llVal, c.bits) << c.code << " " << c.text;
  }

  const DataTypeCode* real = DataTypeCode::find(10);
  const struct {
    const char* text;
    std::optional<float> value;
  } reals[] = {{"1.5", 1.5f}, {"-2e3", -2000.0f}, {"1e39", std::nullopt}, {"1e308", std::nullopt},
               {"inf", std::nullopt}, {"-inf", std::nullopt}, {"NaN", std::nullopt}, {"x", std::nullopt}};
  for (const auto& c : reals) {
    const std::optional<VARIANT> value = real->parse(c.text);
    ASSERT_EQ(value.has_value(), c.value.has_value()) << c.text;
    if (value) {
      EXPECT_EQ(value->fltVal, *c.value) << c.text;
    }
  }
}

TEST(DataTypeCode, WrittenValuesBecomeThePlatformsTexts) {
  const struct {
    int code;
    VARIANT value;
    const char* text;
  } cases[] = {
      {-1, variantOf(VT_BOOL, 1), "1"},
      {-1, variantOf(VT_BOOL, 0), "0"},
      {0, variantOf(VT_UI2, 65535), "65535"},
      {3, variantOf(VT_UI4, 70000), "70000"},
      {5, variantOf(VT_UI4, 4294967295.0), "4294967295"},
      {6, variantOf(VT_I2, -5), "-5"},
      {7, variantOf(VT_I4, -5), "-5"},
      {10, variantOf(VT_R4, 1.5), "1.5"},
      {10, variantOf(VT_R4, 0.1), "0.1"},
      {10, variantOf(VT_R4, 1234567), "1.23457e+06"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(DataTypeCode::find(c.code)->text(c.value).toStdString(), c.text) << c.code;
}

namespace {

// The value of `value` in its type's own field, so that bytes beyond it do not count.
LONGLONG fieldOf(const VARIANT& value) {
  switch (value.vt) {
    case VT_BOOL: return value.boolVal;
    case VT_UI2: return value.uiVal;
    case VT_UI4: return value.ulVal;
    case VT_I2: return value.iVal;
    case VT_I4: return value.lVal;
    case VT_R4: {
      UINT bits = 0;
      std::memcpy(&bits, &value.fltVal, sizeof bits);
      return bits;
    }
    default: return -1;
  }
}

}  // namespace

TEST(DataTypeCode, TextsInUtf8ReadAsTheSameTextsInAQString) {
  const char* const texts[] = {
      "0", "1", "5", "-0", "-1", "007", "23.5", "-7", "0.1", "00.50", "3.14159265358979", "16777217",
      "65535", "65536", "-32768", "-32769", "32767", "32768", "999999999", "1234567890", "-2147483648",
      "2147483648", "4294967295", "4294967296", "12345678901234567890", "0.0000000000001", "-0.0",
      "1.", ".5", "--1", "+5", " 5", "5 ", "1e3", "1.2.3", "-", "", "abc", "true", "false", "inf", "nan", "NaN",
      "１２", "\xEF\xBB\xBF" "5", "5\xEF\xBB\xBF", "3.4028236e38", "99999999999999999999.5",
  };
  for (int code : {-1, 0, 3, 4, 5, 6, 7, 10}) {
    const DataTypeCode* type = DataTypeCode::find(code);
    for (const char* text : texts) {
      const std::optional<VARIANT> expected = type->parse(QString::fromUtf8(text));
      const std::optional<VARIANT> read = type->parseUtf8(text);
      ASSERT_EQ(read.has_value(), expected.has_value()) << code << " " << text;
      if (!read) continue;
      EXPECT_EQ(read->vt, expected->vt) << code << " " << text;
      EXPECT_EQ(fieldOf(*read), fieldOf(*expected)) << code << " " << text;
    }
  }
}
