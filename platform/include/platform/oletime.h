// OLE Automation dates: a DATE counts days since 1899-12-30 00:00. The whole
// part is the day and the fraction the time of day; before 1899-12-30 the
// whole part is negative while the fraction still counts forward from
// midnight, so -1.25 is 1899-12-29 06:00. Valid dates run from 0100-01-01
// (-657434) to 9999-12-31 23:59:59. Both directions keep whole seconds.
#pragma once

#include "platform/wintypes.h"

// Ignores wMilliseconds and wDayOfWeek. Lenient like the target platform: month
// 0, day 0 and times past the end of a day roll over into the neighbouring
// month or day, a day past the end of its month rolls into the next month, and
// years 0-29 and 30-99 stand for 2000-2029 and 1930-1999. A month above 12, a
// day above 31 or a date outside the valid range gives FALSE.
INT SystemTimeToVariantTime(LPSYSTEMTIME lpSystemTime, DOUBLE* pvtime);
// Rounds to the nearest second (half a second rounds up); wMilliseconds is 0.
// FALSE for NaN and for dates outside the valid range.
INT VariantTimeToSystemTime(DOUBLE vtime, LPSYSTEMTIME lpSystemTime);
