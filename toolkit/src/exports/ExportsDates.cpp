// Exports that convert between OLE dates and FILETIMEs, without a time-zone shift.
#include "Vorlix.h"
#include "app/CallBoundary.h"
#include "platform/oletime.h"
#include "platform/wintime.h"

VORLIX_API BOOL ConvertVBDateToFileTime1(DATE* date, FILETIME* fileTime) {
  return AnswerAtBoundary<BOOL>(FALSE, [&]() -> BOOL {
    if (date == nullptr || fileTime == nullptr) return FALSE;
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
