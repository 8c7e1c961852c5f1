#include "app/CVorlixApp.h"
#include "support/HostCalls.h"

#include "platform/oletime.h"
#include "platform/wintime.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// The property list of a tag as GetPropertyInfo gives it.
struct PropertyInfo {
  DWORD id;
  std::string description;
  VARTYPE type;
};

std::vector<PropertyInfo> PropertyList(const OPCTag& tag) {
  std::vector<PropertyInfo> list;
  for (int i = 0; i < tag.GetPropertyCount(); ++i) {
    PropertyInfo info{0, "", VT_EMPTY};
    EXPECT_TRUE(tag.GetPropertyInfo(i, &info.id, &info.description, &info.type)) << i;
    list.push_back(info);
  }
  return list;
}

// A value of the type holding the number.
VARIANT Typed(VARTYPE type, double number) {
  VARIANT real;
  VariantInit(&real);
  real.vt = VT_R8;
  real.dblVal = number;
  VARIANT typed;
  VariantInit(&typed);
  EXPECT_EQ(VariantChangeType(&typed, &real, 0, type), S_OK);
  return typed;
}

// SetTagProperties as a host calls it: the host frees its own value after.
BOOL SetProperty(DWORD tag, DWORD id, const char* description, VARIANT value) {
  std::string text = description;
  const BOOL set = SetTagProperties(tag, id, text.data(), value);
  VariantClear(&value);
  return set;
}

}  // namespace

TEST(TagProperty, SixStandardPropertiesThenTheCustomOnes) {
  const DWORD tag = NewTag("A.B", MakeI4(5));
  ASSERT_TRUE(SetProperty(tag, 5000, "Engineering Units", MakeBstr(OLESTR("bar"))));
  ASSERT_TRUE(SetProperty(tag, 7, "Low Range", MakeR4(-1.0f)));

  CVorlixApp& app = VorlixApp();
  ServerLock::Hold hold(app.GetServerLock());
  const OPCTag& t = *app.TagFromHandle(tag);
  ASSERT_EQ(t.GetPropertyCount(), 8);
  const std::vector<PropertyInfo> list = PropertyList(t);
  const PropertyInfo expected[] = {
      {1, "Item Canonical Data Type", VT_I2}, {2, "Item Value", VT_I4},          {3, "Item Quality", VT_I2},
      {4, "Item Timestamp", VT_DATE},         {5, "Item Access Rights", VT_I4},  {6, "Server Scan Rate", VT_R4},
      {5000, "Engineering Units", VT_BSTR},   {7, "Low Range", VT_R4},
  };
  for (size_t i = 0; i < list.size(); ++i) {
    EXPECT_EQ(list[i].id, expected[i].id) << i;
    EXPECT_EQ(list[i].description, expected[i].description) << i;
    EXPECT_EQ(list[i].type, expected[i].type) << i;
  }

  for (int index : {8, 100, -1}) {
    DWORD id = 77;
    std::string description = "untouched";
    VARTYPE type = VT_UI1;
    EXPECT_FALSE(t.GetPropertyInfo(index, &id, &description, &type)) << index;
    EXPECT_EQ(id, 77u);
    EXPECT_EQ(description, "untouched");
    EXPECT_EQ(type, VT_UI1);
  }
}

TEST(TagProperty, StandardValues) {
  // Two hours east of UTC, with no daylight saving.
  ASSERT_EQ(setenv("TZ", "XYZ-2", 1), 0);
  SYSTEMTIME utcFields = {2020, 1, 0, 1, 0, 0, 0, 0};
  FILETIME utc;
  ASSERT_TRUE(SystemTimeToFileTime(&utcFields, &utc));
  SYSTEMTIME localFields = {2020, 1, 0, 1, 2, 0, 0, 0};
  DATE localDate = 0.0;
  ASSERT_TRUE(SystemTimeToVariantTime(&localFields, &localDate));

  const DWORD tag = NewTag("Tank.Level");
  ASSERT_TRUE(UpdateTagWithTimeStamp(tag, MakeR4(2.5f), 0x00D8, utc));
  CVorlixApp& app = VorlixApp();
  ServerLock::Hold hold(app.GetServerLock());
  const OPCTag& t = *app.TagFromHandle(tag);

  const VARIANT expected[] = {Typed(VT_I2, VT_R4),          Typed(VT_R4, 2.5),  Typed(VT_I2, 0x00D8),
                              Typed(VT_DATE, localDate),     Typed(VT_I4, 3),    Typed(VT_R4, 10.0)};
  VARIANT value;
  VariantInit(&value);
  for (DWORD id = 1; id <= 6; ++id) {
    ASSERT_EQ(t.GetPropertyValue(id, &value), S_OK) << id;
    EXPECT_TRUE(VariantValuesEqual(value, expected[id - 1])) << id << ": type " << value.vt;
  }
  for (DWORD id : {0u, 7u, 99u, 5000u}) {
    EXPECT_EQ(t.GetPropertyValue(id, &value), OPC_E_INVALID_PID) << id;
    EXPECT_TRUE(VariantValuesEqual(value, expected[5])) << id;
  }
}

TEST(TagProperty, CustomPropertiesAreReplacedByIdAndKeepCopies) {
  const DWORD tag = NewTag("Pump");
  for (DWORD id = 0; id <= 6; ++id) EXPECT_FALSE(SetProperty(tag, id, "Standard", MakeI4(1))) << id;
  EXPECT_FALSE(SetProperty(VORLIX_INVALID_TAG, 5000, "Nowhere", MakeI4(1)));
  EXPECT_FALSE(SetProperty(tag + 1000, 5000, "Nowhere", MakeI4(1)));
  EXPECT_FALSE(SetTagProperties(tag, 5000, nullptr, MakeI4(1)));

  ASSERT_TRUE(SetProperty(tag, 5000, "Old", MakeBstr(OLESTR("first"))));
  ASSERT_TRUE(SetProperty(tag, 5000, "New", MakeBstr(OLESTR("second"))));
  ASSERT_TRUE(SetProperty(tag, 0xFFFFFFFF, "Last ID", MakeI4(9)));

  CVorlixApp& app = VorlixApp();
  ServerLock::Hold hold(app.GetServerLock());
  const OPCTag& t = *app.TagFromHandle(tag);
  ASSERT_EQ(t.GetPropertyCount(), 8);
  const std::vector<PropertyInfo> list = PropertyList(t);
  EXPECT_EQ(list[6].id, 5000u);
  EXPECT_EQ(list[6].description, "New");
  EXPECT_EQ(list[7].id, 0xFFFFFFFFu);

  VARIANT value;
  VariantInit(&value);
  ASSERT_EQ(t.GetPropertyValue(5000, &value), S_OK);
  ASSERT_EQ(value.vt, VT_BSTR);
  EXPECT_EQ(WideString(value.bstrVal), OLESTR("second"));
  VariantClear(&value);
}
