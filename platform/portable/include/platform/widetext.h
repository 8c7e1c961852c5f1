// The one conversion between the toolkit's 8-bit text and 16-bit wide text:
// 8-bit text is text in the system's ANSI code page (see codepage.h). Every
// name the toolkit hands out or takes in goes through this pair, so a name
// leaves and comes back as the same bytes.
#pragma once

#include "platform/wintypes.h"

#include <optional>
#include <string>

typedef std::basic_string<WCHAR> WideString;

// Number of units before the terminating zero; 0 for a null pointer.
size_t WideLength(const WCHAR* text);

// A byte that starts no character of the code page widens to U+FFFD, one per
// byte. NULL widens to the empty text.
WideString WidenAnsi(const char* text);
WideString WidenAnsi(const std::string& text);
// Nothing when the code page cannot hold a character of the text: such text
// names nothing, and is never turned into '?' or another stand-in. NULL
// narrows to the empty text.
std::optional<std::string> NarrowAnsi(const WCHAR* text);
std::optional<std::string> NarrowAnsi(const WideString& text);
