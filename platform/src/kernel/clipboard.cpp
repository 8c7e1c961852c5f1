#include "platform/clipboard.h"

#include "platform/hresult.h"
#include "platform/lasterror.h"

#include <mutex>
#include <string>
#include <unordered_map>

namespace {

constexpr UINT kFirstFormat = 0xC000;
constexpr UINT kLastFormat = 0xFFFF;

// Upper case of the ASCII and ISO-8859-1 letters: the comparison key of a name.
std::string FoldCase(LPCSTR name) {
  std::string folded(name);
  for (char& c : folded) {
    const unsigned char u = static_cast<unsigned char>(c);
    if ((u >= 'a' && u <= 'z') || (u >= 0xE0 && u <= 0xFE && u != 0xF7)) c = static_cast<char>(u - 0x20);
  }
  return folded;
}

}  // namespace

UINT RegisterClipboardFormatA(LPCSTR formatName) {
  if (formatName == nullptr || *formatName == '\0') {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  static std::mutex mutex;
  static std::unordered_map<std::string, UINT>* formats = new std::unordered_map<std::string, UINT>;
  std::lock_guard<std::mutex> guard(mutex);
  const auto known = formats->emplace(FoldCase(formatName), kFirstFormat + static_cast<UINT>(formats->size()));
  if (known.first->second > kLastFormat) {
    formats->erase(known.first);
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return 0;
  }
  return known.first->second;
}
