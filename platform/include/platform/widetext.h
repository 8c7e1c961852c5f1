// The one conversion between the toolkit's 8-bit text and 16-bit wide text.
// The 8-bit "ANSI code page" is ISO-8859-1 in both directions: widening
// zero-extends each byte, narrowing maps units up to 0xFF to that byte and any
// other unit to '?'. Every name the toolkit hands out or takes in goes through
// this pair, so names round-trip.
#pragma once

#include "platform/wintypes.h"

#include <string>

typedef std::u16string WideString;

// Number of units before the terminating zero; 0 for a null pointer.
size_t WideLength(const WCHAR* text);

WideString WidenLatin1(const char* text);
WideString WidenLatin1(const std::string& text);
std::string NarrowLatin1(const WCHAR* text);
std::string NarrowLatin1(const WideString& text);
