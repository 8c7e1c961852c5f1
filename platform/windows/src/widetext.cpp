#include "platform/widetext.h"

#include "platform/codepage.h"

#include <climits>

size_t WideLength(const WCHAR* text) {
  if (text == nullptr) return 0;
  size_t n = 0;
  while (text[n] != 0) ++n;
  return n;
}

WideString WidenAnsi(const char* text) {
  if (text == nullptr) return WideString();
  return WidenAnsi(std::string(text));
}

// The system turns a byte sequence that is no character into '?', which
// would name another text: each byte of such a sequence widens to U+FFFD.
WideString WidenAnsi(const std::string& text) {
  if (text.empty() || text.size() > INT_MAX) return WideString();
  const int bytes = static_cast<int>(text.size());
  const int units = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text.data(), bytes, nullptr, 0);
  if (units > 0) {
    WideString wide(static_cast<size_t>(units), 0);
    MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text.data(), bytes, &wide[0], units);
    return wide;
  }
  const UINT codePage = GetACP();
  WideString wide;
  wide.reserve(text.size());
  for (size_t at = 0; at < text.size();) {
    const bool lead = IsDBCSLeadByteEx(codePage, static_cast<BYTE>(text[at])) && at + 1 < text.size();
    const int length = lead ? 2 : 1;
    WCHAR unit[2];
    const int got = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text.data() + at, length, unit, 2);
    if (got > 0) {
      wide.append(unit, static_cast<size_t>(got));
      at += static_cast<size_t>(length);
    } else {
      wide.push_back(0xFFFD);
      ++at;
    }
  }
  return wide;
}

std::optional<std::string> NarrowAnsi(const WCHAR* text) {
  if (text == nullptr) return std::string();
  return NarrowAnsi(WideString(text));
}

std::optional<std::string> NarrowAnsi(const WideString& text) {
  if (text.empty()) return std::string();
  if (text.size() > INT_MAX) return std::nullopt;
  const int units = static_cast<int>(text.size());
  // No best fit and a check of the default character: a character the code
  // page cannot hold makes the whole text name nothing.
  // UTF-8 takes neither flag nor default-character check: it refuses what it
  // cannot write (a lone surrogate) with WC_ERR_INVALID_CHARS.
  const bool utf8 = GetACP() == CP_UTF8;
  const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
  BOOL usedDefault = FALSE;
  BOOL* const check = utf8 ? nullptr : &usedDefault;
  const int bytes = WideCharToMultiByte(CP_ACP, flags, text.data(), units, nullptr, 0, nullptr, check);
  if (bytes <= 0 || usedDefault) return std::nullopt;
  std::string narrow(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_ACP, flags, text.data(), units, &narrow[0], bytes, nullptr, check);
  if (usedDefault) return std::nullopt;
  return narrow;
}
