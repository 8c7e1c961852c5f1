// Registered clipboard formats: one process-wide id per format name, the same
// for names that differ only in letter case (ASCII and ISO-8859-1 letters).
#pragma once

#include "platform/wintypes.h"

// An id from 0xC000 up; 0 with ERROR_INVALID_PARAMETER for a NULL or empty name,
// 0 with ERROR_NOT_ENOUGH_MEMORY when all ids are taken.
UINT RegisterClipboardFormatA(LPCSTR formatName);
