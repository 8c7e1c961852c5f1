// System time as FILETIME (100-nanosecond ticks since 1601-01-01 UTC) and
// SYSTEMTIME (calendar fields), with the kernel's conversions between them.
#pragma once

#include "platform/hresult.h"
#include "platform/filetimeticks.h"
#include "platform/wintypes.h"

void GetSystemTimeAsFileTime(LPFILETIME systemTimeAsFileTime);
void GetSystemTime(LPSYSTEMTIME systemTime);
HRESULT CoFileTimeNow(FILETIME* now);

// Fails (ERROR_INVALID_PARAMETER) for values of 2^63 ticks or more. Ticks below
// one millisecond are cut off.
BOOL FileTimeToSystemTime(const FILETIME* fileTime, LPSYSTEMTIME systemTime);
// Fails (ERROR_INVALID_PARAMETER) unless every field is in range: years
// 1601-30827, a day that exists in its month, hours below 24, minutes and seconds
// below 60, milliseconds below 1000. wDayOfWeek is ignored.
BOOL SystemTimeToFileTime(const SYSTEMTIME* systemTime, LPFILETIME fileTime);

// UTC to local time and back with the offset of the process's time zone as it
// is now (TZ is re-read on every call). Like the target platform, the current
// offset applies to every value, so a summer date converted in winter is off by
// the daylight-saving hour: the historical offset of the converted date is not
// looked up.
BOOL FileTimeToLocalFileTime(const FILETIME* fileTime, LPFILETIME localFileTime);
BOOL LocalFileTimeToFileTime(const FILETIME* localFileTime, LPFILETIME fileTime);

// -1, 0 or 1 as the first time is earlier than, equal to or later than the second.
LONG CompareFileTime(const FILETIME* first, const FILETIME* second);
