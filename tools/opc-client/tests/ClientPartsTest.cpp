// The client's own parts: its command line, its reading of 1.0 data streams
// (which come from another process and are read as untrusted bytes), and how
// it prints values.
#include "ClientOptions.h"
#include "StreamAdviseSink.h"
#include "ValueFormat.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(ClientOptions, ReadsEachCommandAndItsOptions) {
  ClientOptions options;
  std::wstring error;
  ASSERT_TRUE(ClientOptions::Parse({L"list"}, options, error));
  EXPECT_EQ(options.command, ClientOptions::Command::List);

  ASSERT_TRUE(ClientOptions::Parse({L"P", L"watch", L"A", L"B", L"--rate", L"250", L"--deadband", L"2.5",
                                    L"--count", L"7", L"--v1", L"--timeout", L"3"},
                                   options, error));
  EXPECT_EQ(options.progId, L"P");
  EXPECT_EQ(options.command, ClientOptions::Command::Watch);
  EXPECT_EQ(options.items, (std::vector<std::wstring>{L"A", L"B"}));
  EXPECT_EQ(options.rateMs, 250u);
  EXPECT_EQ(options.deadbandPercent, 2.5f);
  EXPECT_EQ(options.count, 7u);
  EXPECT_TRUE(options.version1);
  EXPECT_EQ(options.timeoutSeconds, 3u);

  ASSERT_TRUE(ClientOptions::Parse({L"P", L"read", L"A", L"--device"}, options, error));
  EXPECT_TRUE(options.device);
  ASSERT_TRUE(ClientOptions::Parse({L"P", L"browse"}, options, error));
  EXPECT_TRUE(options.items.empty());
}

TEST(ClientOptions, RefusesWhatItDoesNotKnow) {
  const struct {
    std::vector<std::wstring> arguments;
    const wchar_t* error;
  } cases[] = {
      {{}, L"no command"},
      {{L"list", L"x"}, L"list takes no arguments"},
      {{L"P"}, L"a command should follow the ProgID"},
      {{L"P", L"fly"}, L"unknown command fly"},
      {{L"P", L"read"}, L"read needs at least one item"},
      {{L"P", L"status", L"A"}, L"status takes no items"},
      {{L"P", L"props", L"A", L"B"}, L"props takes one item"},
      {{L"P", L"browse", L"a", L"b"}, L"browse takes one filter at most"},
      {{L"P", L"write", L"A"}, L"write takes ITEM=VALUE, not A"},
      {{L"P", L"write", L"=1"}, L"write takes ITEM=VALUE, not =1"},
      {{L"P", L"read", L"A", L"--v1"}, L"--v1 does not go with read"},
      {{L"P", L"watch", L"A", L"--rate"}, L"--rate needs a whole number"},
      {{L"P", L"watch", L"A", L"--rate", L"1.5"}, L"--rate needs a whole number"},
      {{L"P", L"watch", L"A", L"--deadband", L"101"}, L"--deadband needs a percentage from 0 to 100"},
      {{L"P", L"watch", L"A", L"--frob"}, L"unknown option --frob"},
  };
  for (const auto& c : cases) {
    ClientOptions options;
    std::wstring error;
    EXPECT_FALSE(ClientOptions::Parse(c.arguments, options, error)) << ValueFormat::Utf8(c.error);
    EXPECT_EQ(error, c.error);
  }
}

// A 1.0 stream with time stamps: one VT_I4 item and one VT_BSTR item.
std::vector<uint8_t> TimedStream(DWORD textBytes, const wchar_t* text) {
  std::vector<uint8_t> bytes(20 + 2 * 20);
  auto put = [&bytes](size_t at, const void* field, size_t size) {
    if (bytes.size() < at + size) bytes.resize(at + size);
    std::memcpy(bytes.data() + at, field, size);
  };
  const DWORD header[5] = {0, 2, 1, 0, 0};
  put(0, header, sizeof header);
  const size_t firstValue = bytes.size();
  OPCITEMHEADER1 items[2] = {};
  items[0] = {0, static_cast<DWORD>(firstValue), OPC_QUALITY_GOOD, 0, {0x7689C000, 0x01DA3C45}};
  items[1] = {1, static_cast<DWORD>(firstValue + 16), OPC_QUALITY_BAD, 0, {0x7689C000, 0x01DA3C45}};
  put(20, items, sizeof items);
  uint8_t integer[16] = {};
  integer[0] = VT_I4;
  const int32_t value = -42;
  std::memcpy(integer + 8, &value, 4);
  put(firstValue, integer, 16);
  uint8_t string[16] = {};
  string[0] = VT_BSTR;
  put(firstValue + 16, string, 16);
  put(firstValue + 32, &textBytes, 4);
  const size_t length = std::wcslen(text) * 2;
  put(firstValue + 36, text, length + 2);
  return bytes;
}

TEST(StreamReading, ReadsItemsAsA10ClientDoes) {
  std::ostringstream out;
  ArrivalLog log(out, 0);
  ClientGroup group(nullptr);
  StreamAdviseSink* sink = new StreamAdviseSink(group, log);
  std::vector<std::string> lines;
  std::string error;
  ASSERT_TRUE(sink->ReadStream(TimedStream(6, L"泵站A"), true, lines, error)) << error;
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "?  -42  192 good  2024-01-01 00:00:00.000Z");
  EXPECT_EQ(lines[1], "?  \xE6\xB3\xB5\xE7\xAB\x99\x41  0 bad  2024-01-01 00:00:00.000Z");
  sink->Release();
}

TEST(StreamReading, AStreamShorterThanWhatItNamesIsRefused) {
  std::ostringstream out;
  ArrivalLog log(out, 0);
  ClientGroup group(nullptr);
  StreamAdviseSink* sink = new StreamAdviseSink(group, log);
  const std::vector<uint8_t> whole = TimedStream(6, L"abc");
  const struct {
    std::vector<uint8_t> bytes;
    const char* error;
  } cases[] = {
      {std::vector<uint8_t>(whole.begin(), whole.begin() + 10), "the stream ends inside its group header"},
      {std::vector<uint8_t>(whole.begin(), whole.begin() + 30), "the stream ends inside item header 0"},
      {std::vector<uint8_t>(whole.begin(), whole.begin() + 70), "the stream ends inside the value of item 0"},
      {std::vector<uint8_t>(whole.begin(), whole.end() - 4), "the stream ends inside the text of item 1"},
      // A text length far beyond the stream sizes nothing by it.
      {TimedStream(0xFFFFFFF0, L"abc"), "the stream ends inside the text of item 1"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> lines;
    std::string error;
    EXPECT_FALSE(sink->ReadStream(c.bytes, true, lines, error)) << c.error;
    EXPECT_EQ(error, c.error);
  }
  sink->Release();
}

TEST(ValueFormat, QualityWordsAndValues) {
  EXPECT_STREQ(ValueFormat::QualityWord(0xC0), "good");
  EXPECT_STREQ(ValueFormat::QualityWord(0xD8), "good");
  EXPECT_STREQ(ValueFormat::QualityWord(0x40), "uncertain");
  EXPECT_STREQ(ValueFormat::QualityWord(0x1C), "bad");
  VARIANT value;
  VariantInit(&value);
  V_VT(&value) = VT_BOOL;
  V_BOOL(&value) = VARIANT_TRUE;
  EXPECT_EQ(ValueFormat::Value(value), "True");
  V_VT(&value) = VT_R8;
  V_R8(&value) = 2.5;
  EXPECT_EQ(ValueFormat::Value(value), "2.5");
  V_VT(&value) = VT_EMPTY;
  EXPECT_EQ(ValueFormat::Value(value), "(empty)");
  EXPECT_EQ(ValueFormat::Hresult(OPC_E_BADRIGHTS, L"Refused.\r\n"), "0xC0040006 (Refused)");
}

}  // namespace
