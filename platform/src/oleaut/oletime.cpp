#include "platform/oletime.h"

#include <cmath>
#include <cstdint>

namespace {

constexpr int64_t kSecondsPerDay = 86400;
constexpr int64_t kFirstDay = -657434;  // 0100-01-01
constexpr int64_t kLastDay = 2958465;   // 9999-12-31

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar, and back
// (the era-based algorithm: 400-year eras of 146097 days, years starting in March).
constexpr int64_t DaysFromCivil(int64_t year, unsigned month, unsigned day) {
  year -= month <= 2;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const unsigned yearOfEra = static_cast<unsigned>(year - era * 400);
  const unsigned dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

void CivilFromDays(int64_t days, int64_t* year, unsigned* month, unsigned* day) {
  days += 719468;
  const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const unsigned dayOfEra = static_cast<unsigned>(days - era * 146097);
  const unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const unsigned shiftedMonth = (5 * dayOfYear + 2) / 153;
  *day = dayOfYear - (153 * shiftedMonth + 2) / 5 + 1;
  *month = shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9;
  *year = static_cast<int64_t>(yearOfEra) + era * 400 + (*month <= 2);
}

constexpr int64_t kOleEpoch = DaysFromCivil(1899, 12, 30);

}  // namespace

INT SystemTimeToVariantTime(LPSYSTEMTIME lpSystemTime, DOUBLE* pvtime) {
  if (lpSystemTime == nullptr || pvtime == nullptr) return FALSE;
  const SYSTEMTIME& st = *lpSystemTime;
  if (st.wMonth > 12 || st.wDay > 31 || st.wYear > 9999) return FALSE;
  int64_t year = st.wYear;
  if (year < 30) {
    year += 2000;
  } else if (year < 100) {
    year += 1900;
  }
  unsigned month = st.wMonth;
  if (month == 0) {
    month = 12;
    --year;
  }
  // Counting from the first of the month lets day 0 and days past the month's end roll over.
  int64_t day = DaysFromCivil(year, month, 1) - kOleEpoch + st.wDay - 1;
  int64_t seconds = int64_t{st.wHour} * 3600 + int64_t{st.wMinute} * 60 + st.wSecond;
  day += seconds / kSecondsPerDay;
  seconds %= kSecondsPerDay;
  if (day < kFirstDay || day > kLastDay) return FALSE;
  const double hours = static_cast<double>(seconds / 3600);
  const double minutes = static_cast<double>(seconds / 60 % 60);
  const double secs = static_cast<double>(seconds % 60);
  const double whole = static_cast<double>(day);
  // The time of day counts away from zero on both sides of 1899-12-30.
  *pvtime = day >= 0 ? whole + hours / 24 + minutes / 1440 + secs / 86400
                     : whole - hours / 24 - minutes / 1440 - secs / 86400;
  return TRUE;
}

INT VariantTimeToSystemTime(DOUBLE vtime, LPSYSTEMTIME lpSystemTime) {
  if (lpSystemTime == nullptr) return FALSE;
  if (!(vtime > kFirstDay - 1 && vtime < kLastDay + 1)) return FALSE;
  const double whole = std::trunc(vtime);
  int64_t day = static_cast<int64_t>(whole);
  // Rounded to milliseconds first, then to the second, so a value printed as
  // x.5 seconds rounds up even when its binary fraction falls just short.
  const int64_t milliseconds = std::llround(std::fabs(vtime - whole) * 86400000.0);
  int64_t seconds = (milliseconds + 500) / 1000;
  if (seconds >= kSecondsPerDay) {
    seconds -= kSecondsPerDay;
    ++day;
  }
  if (day > kLastDay) return FALSE;
  int64_t year;
  unsigned month, dayOfMonth;
  CivilFromDays(day + kOleEpoch, &year, &month, &dayOfMonth);
  SYSTEMTIME& st = *lpSystemTime;
  st.wYear = static_cast<WORD>(year);
  st.wMonth = static_cast<WORD>(month);
  st.wDay = static_cast<WORD>(dayOfMonth);
  // 1899-12-30 was a Saturday (6); Sunday is 0.
  st.wDayOfWeek = static_cast<WORD>(((day % 7) + 7 + 6) % 7);
  st.wHour = static_cast<WORD>(seconds / 3600);
  st.wMinute = static_cast<WORD>(seconds / 60 % 60);
  st.wSecond = static_cast<WORD>(seconds % 60);
  st.wMilliseconds = 0;
  return TRUE;
}
