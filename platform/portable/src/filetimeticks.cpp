#include "platform/filetimeticks.h"

#include "platform/wintime.h"

FILETIME NowUtc() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return now;
}
