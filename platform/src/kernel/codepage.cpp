#include "platform/codepage.h"

#include "kernel/codepageconverter.h"
#include "platform/hresult.h"
#include "platform/lasterror.h"
#include "platform/widetext.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <optional>

namespace {

constexpr UINT kDefaultAnsiCodePage = 936;

// A decimal code page number that the system can convert, or the default.
UINT AnsiCodePageFrom(const char* setting) {
  if (setting == nullptr || *setting == '\0' || std::strlen(setting) > 5) return kDefaultAnsiCodePage;
  UINT codePage = 0;
  for (const char* c = setting; *c != '\0'; ++c) {
    if (*c < '0' || *c > '9') return kDefaultAnsiCodePage;
    codePage = codePage * 10 + static_cast<UINT>(*c - '0');
  }
  // 0 to 3 name the ANSI, OEM, Mac and thread code pages, not a code page.
  if (codePage <= 3 || CodePageConverter::ForThread(codePage) == nullptr) return kDefaultAnsiCodePage;
  return codePage;
}

CodePageConverter* ConverterFor(UINT codePage) {
  return CodePageConverter::ForThread(codePage == CP_ACP ? GetACP() : codePage);
}

int Fail(DWORD error) {
  SetLastError(error);
  return 0;
}

// The text's length for a size of -1 (with its zero), or the size given.
template <class Unit>
size_t InputLength(const Unit* text, int size) {
  if (size != -1) return static_cast<size_t>(size);
  size_t length = 0;
  while (text[length] != 0) ++length;
  return length + 1;
}

// Copies the converted text to the caller's buffer under the functions' size rules.
template <class Text, class Unit>
int Deliver(const Text& converted, Unit* buffer, int room) {
  const size_t needed = converted.size();
  if (room == 0) return static_cast<int>(needed);
  if (needed > static_cast<size_t>(room)) return Fail(ERROR_INSUFFICIENT_BUFFER);
  std::copy(converted.begin(), converted.end(), buffer);
  return static_cast<int>(needed);
}

}  // namespace

UINT GetACP() {
  static const UINT codePage = AnsiCodePageFrom(std::getenv("ZELVO_ANSI_CODEPAGE"));
  return codePage;
}

BOOL IsDBCSLeadByteEx(UINT codePage, BYTE testChar) {
  const UINT resolved = codePage == CP_ACP ? GetACP() : codePage;
  // UTF-8 is a multibyte code page, not a double-byte one.
  if (resolved == CP_UTF8) return FALSE;
  CodePageConverter* converter = CodePageConverter::ForThread(resolved);
  return converter != nullptr && converter->IsLeadByte(testChar) ? TRUE : FALSE;
}

BOOL IsDBCSLeadByte(BYTE testChar) { return IsDBCSLeadByteEx(CP_ACP, testChar); }

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR text, int byteCount, LPWSTR wide, int wideCount) {
  if (text == nullptr || byteCount == 0 || byteCount < -1 || wideCount < 0 || (wideCount > 0 && wide == nullptr))
    return Fail(ERROR_INVALID_PARAMETER);
  if ((flags & ~(MB_PRECOMPOSED | MB_ERR_INVALID_CHARS)) != 0) return Fail(ERROR_INVALID_FLAGS);
  CodePageConverter* converter = ConverterFor(codePage);
  if (converter == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  const std::optional<WideString> converted =
      converter->Widen(text, InputLength(text, byteCount), (flags & MB_ERR_INVALID_CHARS) != 0);
  if (!converted) return Fail(ERROR_NO_UNICODE_TRANSLATION);
  return Deliver(*converted, wide, wideCount);
}

int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR text, int wideCount, LPSTR narrow, int byteCount,
                        LPCSTR, LPBOOL usedDefaultChar) {
  if (usedDefaultChar != nullptr) *usedDefaultChar = FALSE;
  if (text == nullptr || wideCount == 0 || wideCount < -1 || byteCount < 0 || (byteCount > 0 && narrow == nullptr))
    return Fail(ERROR_INVALID_PARAMETER);
  if ((flags & ~(WC_ERR_INVALID_CHARS | WC_NO_BEST_FIT_CHARS)) != 0) return Fail(ERROR_INVALID_FLAGS);
  CodePageConverter* converter = ConverterFor(codePage);
  if (converter == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  const std::optional<std::string> converted = converter->Narrow(text, InputLength(text, wideCount));
  if (!converted) return Fail(ERROR_NO_UNICODE_TRANSLATION);
  return Deliver(*converted, narrow, byteCount);
}
