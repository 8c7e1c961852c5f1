// The host's JSON reader: what a data file may hold reads back as written, and
// what is no JSON is refused with the place where reading stopped.
#include "JsonReader.h"

#include <gtest/gtest.h>

#include <string>

namespace {

JsonValue ReadOk(const std::string& text) {
  JsonReader reader(text);
  const std::optional<JsonValue> value = reader.Read();
  EXPECT_TRUE(value.has_value()) << text << ": " << reader.Error();
  return value.value_or(JsonValue());
}

TEST(JsonReader, ReadsNestedObjectsAndArraysInOrder) {
  const JsonValue root = ReadOk(R"( {"a": [1, -2.5e1, true, false, null, "x"], "b": {"c": {}}, "a": 7} )");
  ASSERT_EQ(root.kind(), JsonValue::Kind::Object);
  ASSERT_EQ(root.Members().size(), 3u);
  EXPECT_EQ(root.Members()[1].first, "b");
  const auto& a = root["a"].Elements();
  ASSERT_EQ(a.size(), 6u);
  EXPECT_EQ(a[0].AsNumber(), 1);
  EXPECT_EQ(a[1].AsNumber(), -25);
  EXPECT_TRUE(a[2].AsBoolean());
  EXPECT_FALSE(a[3].AsBoolean());
  EXPECT_TRUE(a[4].IsNull());
  EXPECT_EQ(a[5].AsText(), "x");
  EXPECT_EQ(root["b"]["c"].kind(), JsonValue::Kind::Object);
  // A missing member, and a member of something that is no object, is null.
  EXPECT_TRUE(root["none"]["deeper"].IsNull());
  EXPECT_TRUE(root["a"]["x"].IsNull());
}

TEST(JsonReader, TextEscapesBecomeUtf8) {
  const JsonValue text = ReadOk(R"("q\"b\\s\/n\n\u0041\u6cf5\ud83d\ude00")");
  EXPECT_EQ(text.AsText(), "q\"b\\s/n\nA\xE6\xB3\xB5\xF0\x9F\x98\x80");
  EXPECT_EQ(ReadOk("\"\xE6\xB3\xB5\"").AsText(), "\xE6\xB3\xB5");
}

TEST(JsonReader, NumbersAndNumericTextsConvert) {
  EXPECT_EQ(ReadOk("\"23.5\"").AsNumber(), 23.5);
  EXPECT_EQ(ReadOk("\"12x\"").AsNumber(-1), -1);
  EXPECT_EQ(ReadOk("[]").AsNumber(-1), -1);
  EXPECT_EQ(ReadOk("10").AsText(), "10");
  EXPECT_EQ(ReadOk("0.1").AsText(), "0.1");
  EXPECT_EQ(ReadOk("-3").AsText(), "-3");
}

TEST(JsonReader, RefusesWhatIsNoJson) {
  const struct {
    const char* text;
    const char* reason;
  } cases[] = {
      {"", "the text ends where a value should be at byte 0"},
      {"{\"a\" 1}", "':' should follow a member name at byte 5"},
      {"[1 2]", "',' or ']' should follow an element at byte 3"},
      {"{\"a\":1,}", "a member name should be here at byte 7"},
      {"\"open", "the text ends inside a string at byte 5"},
      {"\"a\nb\"", "a control character inside a text at byte 3"},
      {"\"\\x\"", "an unknown escape at byte 3"},
      {"\"\\ud800\"", "a lone surrogate at byte 7"},
      {"01", "text after the value at byte 1"},
      {"1.", "digits should follow '.' at byte 2"},
      {"tru", "not a JSON value at byte 0"},
      {"[1] x", "text after the value at byte 4"},
      {"+1", "not a JSON value at byte 0"},
  };
  for (const auto& c : cases) {
    JsonReader reader(c.text);
    EXPECT_FALSE(reader.Read().has_value()) << c.text;
    EXPECT_EQ(reader.Error(), c.reason) << c.text;
  }
}

TEST(JsonReader, DeepNestingIsRefusedNotRecursedInto) {
  const std::string deep = std::string(100000, '[') + std::string(100000, ']');
  JsonReader reader(deep);
  EXPECT_FALSE(reader.Read().has_value());
  EXPECT_EQ(reader.Error().rfind("nesting too deep", 0), 0u) << reader.Error();
  const std::string allowed = std::string(JsonReader::kMaxDepth, '[') + std::string(JsonReader::kMaxDepth, ']');
  ReadOk(allowed);
}

}  // namespace
