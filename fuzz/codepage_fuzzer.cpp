// The conversions between 8-bit text and UTF-16 in the ANSI code page (936),
// UTF-8 and 1252: size queries agree with the conversions, a strict widening
// agrees with the lenient one and narrows back to the same bytes, a wide text
// that narrows widens back to itself, and the toolkit's WidenAnsi/NarrowAnsi
// give what the two calls give; walked by lead bytes, valid text has one
// character per wide unit.
#include "FuzzCheck.h"

#include "platform/codepage.h"
#include "platform/hresult.h"
#include "platform/lasterror.h"
#include "platform/widetext.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstring>
#include <optional>
#include <string>

namespace {

const UINT kCodePages[] = {CP_ACP, CP_UTF8, 1252};

// The call's text for an 8-bit input, or nothing when it fails; the size
// query must announce exactly what the conversion writes, and one unit less
// must not be enough.
std::optional<WideString> Widen(UINT codePage, DWORD flags, const std::string& bytes) {
  const int size = static_cast<int>(bytes.size());
  const int needed = MultiByteToWideChar(codePage, flags, bytes.data(), size, nullptr, 0);
  if (needed == 0) return std::nullopt;
  WideString wide(static_cast<size_t>(needed), u'\0');
  FUZZ_CHECK(MultiByteToWideChar(codePage, flags, bytes.data(), size, &wide[0], needed) == needed);
  if (needed > 1) {
    WideString shorter(static_cast<size_t>(needed - 1), u'\0');
    FUZZ_CHECK(MultiByteToWideChar(codePage, flags, bytes.data(), size, &shorter[0], needed - 1) == 0);
    FUZZ_CHECK(GetLastError() == ERROR_INSUFFICIENT_BUFFER);
  }
  return wide;
}

std::optional<std::string> Narrow(UINT codePage, const WideString& wide) {
  const int count = static_cast<int>(wide.size());
  const int needed = WideCharToMultiByte(codePage, 0, wide.data(), count, nullptr, 0, nullptr, nullptr);
  if (needed == 0) return std::nullopt;
  std::string narrow(static_cast<size_t>(needed), '\0');
  FUZZ_CHECK(WideCharToMultiByte(codePage, 0, wide.data(), count, &narrow[0], needed, nullptr, nullptr) == needed);
  if (needed > 1) {
    std::string shorter(static_cast<size_t>(needed - 1), '\0');
    FUZZ_CHECK(WideCharToMultiByte(codePage, 0, wide.data(), count, &shorter[0], needed - 1, nullptr, nullptr) ==
               0);
    FUZZ_CHECK(GetLastError() == ERROR_INSUFFICIENT_BUFFER);
  }
  return narrow;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const UINT codePage = input.PickValueInArray(kCodePages);
  const std::string bytes = input.ConsumeRemainingBytesAsString();
  if (bytes.empty()) return 0;

  // The bytes as 8-bit text.
  const std::optional<WideString> lenient = Widen(codePage, 0, bytes);
  FUZZ_CHECK(lenient.has_value());
  const std::optional<WideString> strict = Widen(codePage, MB_ERR_INVALID_CHARS, bytes);
  if (strict) {
    FUZZ_CHECK(*strict == *lenient);
    FUZZ_CHECK(Narrow(codePage, *strict) == bytes);
    // Walked by lead bytes, valid text of a single- or double-byte code page
    // has one character per wide unit (all of them in the first plane).
    if (codePage != CP_UTF8) {
      size_t characters = 0;
      for (size_t at = 0; at < bytes.size(); ++at, ++characters) {
        if (IsDBCSLeadByteEx(codePage, static_cast<BYTE>(bytes[at]))) ++at;
      }
      FUZZ_CHECK(characters == strict->size());
    }
  } else {
    FUZZ_CHECK(GetLastError() == ERROR_NO_UNICODE_TRANSLATION);
  }

  // The same bytes as UTF-16 units.
  WideString wide(bytes.size() / 2, u'\0');
  std::memcpy(&wide[0], bytes.data(), wide.size() * sizeof(char16_t));
  if (!wide.empty()) {
    const std::optional<std::string> narrow = Narrow(codePage, wide);
    if (narrow) FUZZ_CHECK(Widen(codePage, MB_ERR_INVALID_CHARS, *narrow) == wide);
    if (codePage == CP_ACP) FUZZ_CHECK(NarrowAnsi(wide) == narrow);
  }
  if (codePage == CP_ACP) FUZZ_CHECK(WidenAnsi(bytes) == *lenient);
  return 0;
}
