// Exports that convert between OLE dates and FILETIMEs, without a time-zone shift.
#include "Vorlix.h"
#include "app/CallBoundary.h"
#include "platform/oletime.h"
#include "platform/wintime.h"

#include <cmath>

VORLIX_API BOOL ConvertVBDateToFileTime1(DATE* date, FILETIME* fileTime) {
  return AnswerAtBoundary<BOOL>(FALSE, [&]() -> BOOL {
    // A NaN or infinite date names no day (the system's conversion may not say so).
    if (date == nullptr || fileTime == nullptr || !std::isfinite(*date)) return FALSE;
    SYSTEMTIME systemTime;
    FILETIME converted;
    if (!VariantTimeToSystemTime(*date, &systemTime) || !SystemTimeToFileTime(&systemTime, &converted)) return FALSE;
    *fileTime = converted;
    return TRUE;
  });
}

VORLIX_API BOOL ConvertFileTimeToVBDate1(FILETIME* fileTime, DATE* date) {
  return AnswerAtBoundary<BOOL>(FALSE, [&]() -> BOOL {
    if (fileTime == nullptr || date == nullptr) return FALSE;
    SYSTEMTIME systemTime;
    DATE converted;
    if (!FileTimeToSystemTime(fileTime, &systemTime) || !SystemTimeToVariantTime(&systemTime, &converted)) return FALSE;
    *date = converted;
    return TRUE;
  });
}
