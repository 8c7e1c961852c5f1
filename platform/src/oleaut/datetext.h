// Date text of VariantChangeType in the en-US forms: short date M/d/yyyy and
// time h:mm:ss tt, whatever the process locale is.
#pragma once

#include "platform/wintypes.h"

#include <cstddef>

// Helpers of the variant conversions, not part of the platform's interface.
namespace oletext {

// Writes the text into a buffer of kDateTextCapacity characters and returns its
// length; 0 when the date is outside the valid range. The date is left out on
// 1899-12-30 and the time at midnight ("1/1/2000 12:00:00 PM", "1/1/1900",
// "6:00:00 AM"); day 0 at midnight is "12:00:00 AM".
constexpr size_t kDateTextCapacity = 32;
size_t FormatDateText(DATE date, char* buffer);

// Reads a date (M/d/yyyy, M/d/yy, M/d in the current year, or yyyy-M-d, with
// '/' or '-'), a time (h:mm or h:mm:ss with an optional AM or PM, or h AM, h PM),
// or a date followed by a time, with blanks around them. Two-digit years 00-29 are
// 2000-2029 and 30-99 are 1930-1999. DISP_E_TYPEMISMATCH for any other text or
// for a day, month, hour, minute or second out of its range.
HRESULT ParseDateText(const OLECHAR* text, size_t length, DATE* date);

}  // namespace oletext
