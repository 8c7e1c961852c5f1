#include "platform/wintime.h"

#include "platform/lasterror.h"

#include <ctime>

namespace {

constexpr ULONGLONG kTicksPerMillisecond = 10000;
constexpr ULONGLONG kTicksPerSecond = 10000000;
constexpr ULONGLONG kMillisecondsPerDay = 86400000;
constexpr ULONGLONG kFirstInvalidTicks = 0x8000000000000000ULL;
// Days from 1601-01-01 (day 0 of FILETIME) to 1970-01-01 (day 0 of time_t).
constexpr LONGLONG kDaysFrom1601To1970 = 134774;
// 1601-01-01 was a Monday.
constexpr int kDayOfWeekOf1601 = 1;

bool IsLeapYear(LONGLONG year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(LONGLONG year, int month) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Days since 1970-01-01 of a proleptic Gregorian date (the calendar counts
// years from March so that the leap day comes last).
LONGLONG DaysFromCivil(LONGLONG year, int month, int day) {
  year -= month <= 2 ? 1 : 0;
  const LONGLONG era = (year >= 0 ? year : year - 399) / 400;
  const LONGLONG yearOfEra = year - era * 400;
  const LONGLONG dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const LONGLONG dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

void CivilFromDays(LONGLONG days, LONGLONG* year, int* month, int* day) {
  days += 719468;
  const LONGLONG era = (days >= 0 ? days : days - 146096) / 146097;
  const LONGLONG dayOfEra = days - era * 146097;
  const LONGLONG yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const LONGLONG dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const LONGLONG monthFromMarch = (5 * dayOfYear + 2) / 153;
  *day = static_cast<int>(dayOfYear - (153 * monthFromMarch + 2) / 5 + 1);
  *month = static_cast<int>(monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9);
  *year = yearOfEra + era * 400 + (*month <= 2 ? 1 : 0);
}

bool IsValidSystemTime(const SYSTEMTIME& time) {
  return time.wYear >= 1601 && time.wYear <= 30827 && time.wMonth >= 1 && time.wMonth <= 12 && time.wDay >= 1 &&
         time.wDay <= DaysInMonth(time.wYear, time.wMonth) && time.wHour < 24 && time.wMinute < 60 &&
         time.wSecond < 60 && time.wMilliseconds < 1000;
}

BOOL FailWithInvalidParameter() {
  SetLastError(ERROR_INVALID_PARAMETER);
  return FALSE;
}

// Offset of local time from UTC, in ticks, under the time-zone rules in force now.
LONGLONG CurrentLocalOffsetTicks() {
  tzset();
  const time_t now = time(nullptr);
  struct tm local;
  localtime_r(&now, &local);
  return static_cast<LONGLONG>(local.tm_gmtoff) * static_cast<LONGLONG>(kTicksPerSecond);
}

// Shifts a FILETIME by an offset, failing when the result leaves the range that
// FileTimeToSystemTime accepts.
BOOL ShiftFileTime(const FILETIME* from, LPFILETIME to, LONGLONG offsetTicks) {
  if (from == nullptr || to == nullptr) return FailWithInvalidParameter();
  const ULONGLONG ticks = FileTimeToTicks(*from);
  if (ticks >= kFirstInvalidTicks) return FailWithInvalidParameter();
  LONGLONG shifted;
  if (__builtin_add_overflow(static_cast<LONGLONG>(ticks), offsetTicks, &shifted) || shifted < 0) {
    return FailWithInvalidParameter();
  }
  *to = TicksToFileTime(static_cast<ULONGLONG>(shifted));
  return TRUE;
}

}  // namespace

void GetSystemTimeAsFileTime(LPFILETIME systemTimeAsFileTime) {
  struct timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  const ULONGLONG seconds = static_cast<ULONGLONG>(now.tv_sec + kDaysFrom1601To1970 * 86400);
  *systemTimeAsFileTime = TicksToFileTime(seconds * kTicksPerSecond + static_cast<ULONGLONG>(now.tv_nsec) / 100);
}

void GetSystemTime(LPSYSTEMTIME systemTime) {
  const FILETIME now = NowUtc();
  FileTimeToSystemTime(&now, systemTime);
}

HRESULT CoFileTimeNow(FILETIME* now) {
  if (now == nullptr) return E_INVALIDARG;
  GetSystemTimeAsFileTime(now);
  return S_OK;
}

BOOL FileTimeToSystemTime(const FILETIME* fileTime, LPSYSTEMTIME systemTime) {
  if (fileTime == nullptr || systemTime == nullptr) return FailWithInvalidParameter();
  const ULONGLONG ticks = FileTimeToTicks(*fileTime);
  if (ticks >= kFirstInvalidTicks) return FailWithInvalidParameter();
  const ULONGLONG milliseconds = ticks / kTicksPerMillisecond;
  const LONGLONG days = static_cast<LONGLONG>(milliseconds / kMillisecondsPerDay);
  ULONGLONG msOfDay = milliseconds % kMillisecondsPerDay;
  LONGLONG year;
  int month, day;
  CivilFromDays(days - kDaysFrom1601To1970, &year, &month, &day);
  systemTime->wYear = static_cast<WORD>(year);
  systemTime->wMonth = static_cast<WORD>(month);
  systemTime->wDay = static_cast<WORD>(day);
  systemTime->wDayOfWeek = static_cast<WORD>((days + kDayOfWeekOf1601) % 7);
  systemTime->wHour = static_cast<WORD>(msOfDay / 3600000);
  msOfDay %= 3600000;
  systemTime->wMinute = static_cast<WORD>(msOfDay / 60000);
  msOfDay %= 60000;
  systemTime->wSecond = static_cast<WORD>(msOfDay / 1000);
  systemTime->wMilliseconds = static_cast<WORD>(msOfDay % 1000);
  return TRUE;
}

BOOL SystemTimeToFileTime(const SYSTEMTIME* systemTime, LPFILETIME fileTime) {
  if (systemTime == nullptr || fileTime == nullptr || !IsValidSystemTime(*systemTime)) {
    return FailWithInvalidParameter();
  }
  const LONGLONG days = DaysFromCivil(systemTime->wYear, systemTime->wMonth, systemTime->wDay) + kDaysFrom1601To1970;
  const ULONGLONG seconds = static_cast<ULONGLONG>(days) * 86400 + systemTime->wHour * 3600ULL +
                            systemTime->wMinute * 60ULL + systemTime->wSecond;
  *fileTime = TicksToFileTime(seconds * kTicksPerSecond + systemTime->wMilliseconds * kTicksPerMillisecond);
  return TRUE;
}

BOOL FileTimeToLocalFileTime(const FILETIME* fileTime, LPFILETIME localFileTime) {
  return ShiftFileTime(fileTime, localFileTime, CurrentLocalOffsetTicks());
}

BOOL LocalFileTimeToFileTime(const FILETIME* localFileTime, LPFILETIME fileTime) {
  return ShiftFileTime(localFileTime, fileTime, -CurrentLocalOffsetTicks());
}

LONG CompareFileTime(const FILETIME* first, const FILETIME* second) {
  const ULONGLONG a = FileTimeToTicks(*first);
  const ULONGLONG b = FileTimeToTicks(*second);
  return a < b ? -1 : (a > b ? 1 : 0);
}
