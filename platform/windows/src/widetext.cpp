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

WideString WidenAnsi(const std::string& text) {
  if (text.empty() || text.size() > INT_MAX) return WideString();
  const int bytes = static_cast<int>(text.size());
  // Without MB_ERR_INVALID_CHARS a byte that starts no character becomes U+FFFD.
  const int units = MultiByteToWideChar(CP_ACP, 0, text.data(), bytes, nullptr, 0);
  if (units <= 0) return WideString(text.size(), 0xFFFD);
  WideString wide(static_cast<size_t>(units), 0);
  MultiByteToWideChar(CP_ACP, 0, text.data(), bytes, &wide[0], units);
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
  BOOL usedDefault = FALSE;
  const int bytes =
      WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), units, nullptr, 0, nullptr, &usedDefault);
  if (bytes <= 0 || usedDefault) return std::nullopt;
  std::string narrow(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), units, &narrow[0], bytes, nullptr, &usedDefault);
  if (usedDefault) return std::nullopt;
  return narrow;
}
