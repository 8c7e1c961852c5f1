// The locale the programs read and write numbers in: '.' as the decimal
// separator whatever the system's own locale uses.
#pragma once

#include <windows.h>

inline const LCID kInvariantNumbers = MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT);
