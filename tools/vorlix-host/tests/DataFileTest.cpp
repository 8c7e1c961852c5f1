// Variables of a data file in the platform stand-in's format, and the VARIANTs
// their data-type codes give.
#include "DataFile.h"
#include "DataTypeCode.h"
#include "ProgramFolder.h"
#include "Utf8Text.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

const char kData[] = R"({
  "devices": [{"sn_code": "A1", "dev_state": 1}, {"sn_code": "B2", "dev_state": 0}],
  "configs": {
    "A1": [{"type_name": "Analog", "data": [
      {"data_name": "Temp", "data_type": 10, "data_writeable": 1, "data_min": "-40", "data_max": "125",
       "data_code": 1, "dev_version": 0},
      {"data_name": "Level", "data_type": 2, "data_writeable": 0, "data_code": 2, "dev_version": 1}]}],
    "B2": [{"type_name": "泵", "data": [
      {"data_name": "Starts", "data_type": 0, "data_writeable": 2, "data_min": "5", "data_max": "5",
       "data_code": 1, "dev_version": 0}]}],
    "C3": []
  },
  "values": {"A1": {"1": "23.5"}, "B2": {"1": "12"}}
})";

TEST(DataFile, OneVariablePerDataEntryNamedSerialTypeAndData) {
  std::vector<HostVariable> variables;
  std::string error;
  ASSERT_TRUE(DataFile::Parse(kData, variables, error)) << error;
  ASSERT_EQ(variables.size(), 3u);

  EXPECT_EQ(variables[0].itemName, "A1.Analog.Temp");
  EXPECT_EQ(variables[0].typeCode, 10);
  EXPECT_TRUE(variables[0].writable);
  EXPECT_EQ(variables[0].valueText, "23.5");
  EXPECT_TRUE(variables[0].hasBounds);
  EXPECT_EQ(variables[0].minimum, -40);
  EXPECT_EQ(variables[0].maximum, 125);
  EXPECT_TRUE(variables[0].online);

  // Version 1 remaps code 2 to 6; no value, no bounds, not writable.
  EXPECT_EQ(variables[1].itemName, "A1.Analog.Level");
  EXPECT_EQ(variables[1].typeCode, 6);
  EXPECT_FALSE(variables[1].writable);
  EXPECT_EQ(variables[1].valueText, "");
  EXPECT_FALSE(variables[1].hasBounds);

  // A span of nothing is no bounds; a box whose state is not 1 is offline.
  EXPECT_EQ(variables[2].itemName, "B2.\xE6\xB3\xB5.Starts");
  EXPECT_FALSE(variables[2].hasBounds);
  EXPECT_FALSE(variables[2].online);
  EXPECT_TRUE(variables[2].writable);
}

TEST(DataFile, RefusesWhatIsNoDataFile) {
  std::vector<HostVariable> variables;
  std::string error;
  EXPECT_FALSE(DataFile::Parse("{\"configs\": [}", variables, error));
  EXPECT_EQ(error.rfind("not JSON: ", 0), 0u) << error;
  EXPECT_FALSE(DataFile::Parse("{\"devices\": []}", variables, error));
  EXPECT_EQ(error, "no \"configs\" object");
  EXPECT_FALSE(DataFile::Load("no-such-file.json", variables, error));
  EXPECT_EQ(error, "cannot open no-such-file.json");
}

TEST(DataFile, TheDemoDataBesideTheHostLoads) {
  std::vector<HostVariable> variables;
  std::string error;
  ASSERT_TRUE(DataFile::Load(NarrowToUtf8(ProgramFolder::Beside(L"demo-data.json")), variables, error)) << error;
  EXPECT_GE(variables.size(), 9u);
  EXPECT_EQ(variables[0].itemName, "A1.Analog.Temp");
}

TEST(DataTypeCode, ValueTextsBecomeTheCodesTypes) {
  const struct {
    int code;
    const char* text;
    VARTYPE type;
    double value;
  } cases[] = {
      {-1, "1", VT_BOOL, VARIANT_TRUE},  {-1, "0", VT_BOOL, VARIANT_FALSE},
      {0, "65535", VT_UI2, 65535},       {0, "65536", VT_UI2, 0},
      {4, "-1", VT_UI2, 0},              {3, "4294967295", VT_UI4, 4294967295.0},
      {5, "12", VT_UI4, 12},             {6, "-32768", VT_I2, -32768},
      {7, "1.5", VT_I4, 0},              {7, "abc", VT_I4, 0},
      {10, "23.5", VT_R4, 23.5},         {99, "7.25", VT_R8, 7.25},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.code << " " << c.text);
    VARIANT value = DataTypeCode::ValueOf(c.code, c.text);
    ASSERT_EQ(V_VT(&value), c.type);
    VARIANT real;
    VariantInit(&real);
    ASSERT_EQ(VariantChangeType(&real, &value, 0, VT_R8), S_OK);
    EXPECT_EQ(V_R8(&real), c.value);
  }
  // Numbers the simulation makes are rounded and clamped to the type.
  VARIANT rounded = DataTypeCode::ValueOf(6, 99999.6);
  EXPECT_EQ(V_I2(&rounded), 32767);
  VARIANT whole = DataTypeCode::ValueOf(7, 41.5);
  EXPECT_EQ(V_I4(&whole), 42);
}

}  // namespace
