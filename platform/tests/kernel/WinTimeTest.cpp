#include "platform/lasterror.h"
#include "platform/wintime.h"

#include "support/ReferenceTable.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <map>

namespace {

constexpr LONGLONG kSecondsFrom1601To1970 = 11644473600LL;

// Rows of time_conversions.tsv where this layer answers as the target platform
// documents rather than as the reimplementation the table was observed on: a
// SYSTEMTIME must name a day that exists in its month, in the years 1601-30827.
const std::map<std::string, CallOutcome> kDeliberateDifferences = {
    // There is no 29 February in 2023; the table shows 2023-03-01.
    {"SystemTimeToFileTime 2023-02-29 00:00:00.000", {"0", "87", "-"}},
    // The year is above 30827; the table accepts it.
    {"SystemTimeToFileTime 30828-09-14 02:48:05.477", {"0", "87", "-"}},
    // Also beyond the largest FILETIME; the table returns a value that cannot be decoded.
    {"SystemTimeToFileTime 30828-09-14 02:48:05.478", {"0", "87", "-"}},
};

CallOutcome Failure() { return {"0", std::to_string(GetLastError()), "-"}; }

CallOutcome RunKernelConversion(const std::string& function, const std::string& input) {
  SetLastError(0);
  if (function == "SystemTimeToFileTime") {
    const SYSTEMTIME time = ParseSystemTime(input);
    FILETIME result;
    if (!SystemTimeToFileTime(&time, &result)) return Failure();
    return {"1", "-", std::to_string(FileTimeToTicks(result))};
  }
  const FILETIME time = TicksToFileTime(std::stoull(input));
  SYSTEMTIME result;
  if (!FileTimeToSystemTime(&time, &result)) return Failure();
  return {"1", "-", FormatSystemTime(result)};
}

// The table's output column may carry a decoded form after the value.
std::string FirstWord(const std::string& text) { return text.substr(0, text.find(" (")); }

FILETIME FileTimeOf(const SYSTEMTIME& time) {
  FILETIME result = {};
  EXPECT_TRUE(SystemTimeToFileTime(&time, &result)) << FormatSystemTime(time);
  return result;
}

}  // namespace

TEST(WinTime, KernelConversionsMatchTheReferenceTable) {
  int checked = 0;
  for (const ReferenceRow& row : ReadReferenceTable("time_conversions.tsv")) {
    const std::string& function = row.at("function");
    if (function != "SystemTimeToFileTime" && function != "FileTimeToSystemTime") continue;
    const std::string key = function + " " + row.at("input");
    CallOutcome expected = {row.at("ret"), row.at("last_error"), FirstWord(row.at("output"))};
    const auto difference = kDeliberateDifferences.find(key);
    if (difference != kDeliberateDifferences.end()) expected = difference->second;
    EXPECT_EQ(RunKernelConversion(function, row.at("input")), expected) << row.at("group") << ": " << key;
    ++checked;
  }
  EXPECT_GT(checked, 0);
}

TEST(WinTime, CalendarAgreesWithTheCLibraryAcrossTheWholeRange) {
  const ULONGLONG kTicksPerDay = 864000000000ULL;
  const ULONGLONG kLastDay = 0x7FFFFFFFFFFFFFFFULL / kTicksPerDay;
  for (ULONGLONG day = 0; day < kLastDay; day += 101) {
    const ULONGLONG ticks = day * kTicksPerDay + (day * 7919 % 86400000) * 10000 + 9999;
    const FILETIME fileTime = TicksToFileTime(ticks);
    SYSTEMTIME time;
    ASSERT_TRUE(FileTimeToSystemTime(&fileTime, &time)) << ticks;

    const time_t seconds = static_cast<time_t>(ticks / 10000000) - kSecondsFrom1601To1970;
    struct tm expected;
    gmtime_r(&seconds, &expected);
    ASSERT_EQ(time.wYear, expected.tm_year + 1900) << ticks;
    ASSERT_EQ(time.wMonth, expected.tm_mon + 1) << ticks;
    ASSERT_EQ(time.wDay, expected.tm_mday) << ticks;
    ASSERT_EQ(time.wDayOfWeek, expected.tm_wday) << ticks;
    ASSERT_EQ(time.wHour, expected.tm_hour) << ticks;
    ASSERT_EQ(time.wMinute, expected.tm_min) << ticks;
    ASSERT_EQ(time.wSecond, expected.tm_sec) << ticks;

    // Back again, less the ticks below one millisecond; a SYSTEMTIME ends with 30827.
    if (time.wYear <= 30827) {
      ASSERT_EQ(FileTimeToTicks(FileTimeOf(time)), ticks - ticks % 10000) << ticks;
    }
  }
}

TEST(WinTime, SystemTimeFieldsAreValidated) {
  struct Case {
    const char* time;
    bool valid;
  };
  const Case cases[] = {
      {"2000-02-29 00:00:00.000", true},   {"1900-02-29 00:00:00.000", false}, {"2100-02-29 00:00:00.000", false},
      {"2023-04-30 23:59:59.999", true},   {"2023-04-31 00:00:00.000", false}, {"2023-12-31 00:00:00.000", true},
      {"1601-01-01 00:00:00.000", true},   {"1600-12-31 23:59:59.999", false}, {"30827-12-31 23:59:59.999", true},
      {"30828-01-01 00:00:00.000", false},
  };
  for (const Case& c : cases) {
    SYSTEMTIME time = ParseSystemTime(c.time);
    time.wDayOfWeek = 3;  // ignored
    FILETIME result;
    SetLastError(0);
    EXPECT_EQ(SystemTimeToFileTime(&time, &result), c.valid ? TRUE : FALSE) << c.time;
    EXPECT_EQ(GetLastError(), c.valid ? ERROR_SUCCESS : ERROR_INVALID_PARAMETER) << c.time;
  }
}

TEST(WinTime, LocalTimeUsesTheCurrentOffsetForEveryDate) {
  // Central European rules: +1 h in winter, +2 h in summer.
  setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
  tzset();
  const time_t now = time(nullptr);
  struct tm local;
  localtime_r(&now, &local);
  const LONGLONG currentOffset = local.tm_gmtoff * 10000000LL;

  for (const char* date : {"2024-01-15 12:00:00.000", "2024-07-15 12:00:00.000"}) {
    const FILETIME utc = FileTimeOf(ParseSystemTime(date));
    FILETIME localTime, back;
    ASSERT_TRUE(FileTimeToLocalFileTime(&utc, &localTime));
    EXPECT_EQ(static_cast<LONGLONG>(FileTimeToTicks(localTime) - FileTimeToTicks(utc)), currentOffset) << date;
    ASSERT_TRUE(LocalFileTimeToFileTime(&localTime, &back));
    EXPECT_EQ(CompareFileTime(&back, &utc), 0) << date;
  }
}

TEST(WinTime, LocalTimeOutsideTheFileTimeRangeFails) {
  setenv("TZ", "EAST-5:30", 1);
  const FILETIME first = TicksToFileTime(0);
  const FILETIME last = TicksToFileTime(0x7FFFFFFFFFFFFFFFULL);
  FILETIME result;
  SetLastError(0);
  EXPECT_FALSE(LocalFileTimeToFileTime(&first, &result));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(FileTimeToLocalFileTime(&last, &result));
  ASSERT_TRUE(FileTimeToLocalFileTime(&first, &result));
  EXPECT_EQ(FileTimeToTicks(result), 55ULL * 360 * 10000000);  // 5:30 h
}

TEST(WinTime, CompareFileTimeOrdersBothWords) {
  const FILETIME low = {0xFFFFFFFF, 1};
  const FILETIME high = {0, 2};
  EXPECT_EQ(CompareFileTime(&low, &high), -1);
  EXPECT_EQ(CompareFileTime(&high, &low), 1);
  EXPECT_EQ(CompareFileTime(&low, &low), 0);
}

TEST(WinTime, NowIsTheSystemClock) {
  FILETIME now;
  ASSERT_EQ(CoFileTimeNow(&now), S_OK);
  const LONGLONG seconds = static_cast<LONGLONG>(FileTimeToTicks(now) / 10000000) - kSecondsFrom1601To1970;
  EXPECT_LE(std::llabs(seconds - static_cast<LONGLONG>(time(nullptr))), 2);

  SYSTEMTIME today;
  GetSystemTime(&today);
  EXPECT_GE(today.wYear, 2024);
  EXPECT_EQ(CoFileTimeNow(nullptr), E_INVALIDARG);
}
