#include "ValueFormat.h"

#include "InvariantLocale.h"
#include "Utf8Text.h"

#include <OpcInterfaces.h>

#include <cstdio>

namespace ValueFormat {

std::string Value(const VARIANT& value) {
  if (V_VT(&value) & VT_ARRAY) return "(array)";
  if (V_VT(&value) == VT_EMPTY) return "(empty)";
  VARIANT text;
  VariantInit(&text);
  if (FAILED(VariantChangeTypeEx(&text, const_cast<VARIANT*>(&value), kInvariantNumbers, VARIANT_ALPHABOOL,
                                 VT_BSTR))) {
    char fallback[32];
    std::snprintf(fallback, sizeof fallback, "(type %u)", static_cast<unsigned>(V_VT(&value)));
    return fallback;
  }
  std::string result = Utf8(V_BSTR(&text));
  VariantClear(&text);
  return result;
}

const char* QualityWord(WORD quality) {
  switch (quality & OPC_QUALITY_MASK) {
    case OPC_QUALITY_GOOD: return "good";
    case OPC_QUALITY_UNCERTAIN: return "uncertain";
    default: return "bad";
  }
}

std::string Time(const FILETIME& time) {
  SYSTEMTIME parts{};
  if (!FileTimeToSystemTime(&time, &parts)) return "(no time)";
  char text[40];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u.%03uZ", parts.wYear, parts.wMonth, parts.wDay,
                parts.wHour, parts.wMinute, parts.wSecond, parts.wMilliseconds);
  return text;
}

std::string ItemLine(const std::string& item, const VARIANT& value, WORD quality, const FILETIME& time) {
  return item + "  " + Value(value) + "  " + std::to_string(quality) + " " + QualityWord(quality) + "  " + Time(time);
}

std::string Utf8(const wchar_t* text) { return text ? NarrowToUtf8(text) : std::string(); }

std::wstring Wide(const std::string& utf8) { return WidenUtf8(utf8); }

std::string Hresult(HRESULT result, const std::wstring& text) {
  char code[16];
  std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(result));
  std::wstring words = text;
  if (words.empty()) {
    wchar_t* message = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        static_cast<DWORD>(result), 0, reinterpret_cast<wchar_t*>(&message), 0, nullptr);
    if (length > 0 && message) words.assign(message, length);
    if (message) LocalFree(message);
  }
  while (!words.empty() && (words.back() == L'\n' || words.back() == L'\r' || words.back() == L' ' ||
                            words.back() == L'.')) {
    words.pop_back();
  }
  if (words.empty()) words = L"no text for this code";
  return std::string(code) + " (" + Utf8(words.c_str()) + ")";
}

}  // namespace ValueFormat
