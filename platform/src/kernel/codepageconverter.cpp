#include "kernel/codepageconverter.h"

#include <cerrno>
#include <map>
#include <memory>

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "wide text is converted as UTF-16LE");

namespace {

const iconv_t kNoDescriptor = reinterpret_cast<iconv_t>(-1);
const size_t kFailed = static_cast<size_t>(-1);
const char* const kWideName = "UTF-16LE";

std::string IconvName(UINT codePage) { return codePage == 65001 ? "UTF-8" : "CP" + std::to_string(codePage); }

std::unique_ptr<CodePageConverter> Open(UINT codePage) {
  const std::string name = IconvName(codePage);
  const iconv_t toWide = iconv_open(kWideName, name.c_str());
  if (toWide == kNoDescriptor) return nullptr;
  const iconv_t toNarrow = iconv_open(name.c_str(), kWideName);
  if (toNarrow == kNoDescriptor) {
    iconv_close(toWide);
    return nullptr;
  }
  // Without memory for the converter the descriptors go back, and the caller
  // hears of it: a code page iconv knows is not remembered as refused.
  try {
    return std::make_unique<CodePageConverter>(toWide, toNarrow);
  } catch (...) {
    iconv_close(toWide);
    iconv_close(toNarrow);
    throw;
  }
}

bool IsAscii(const char* bytes, size_t size) {
  for (size_t i = 0; i < size; ++i)
    if (static_cast<unsigned char>(bytes[i]) >= 0x80) return false;
  return true;
}

bool IsAscii(const char16_t* units, size_t count) {
  for (size_t i = 0; i < count; ++i)
    if (units[i] >= 0x80) return false;
  return true;
}

// Runs iconv over all of `in` into `out`, growing `out` as needed; `written`
// is the count of output bytes so far. Returns iconv's answer for the last
// call, with errno set when it failed for a reason other than room.
template <class Output>
size_t ConvertInto(iconv_t descriptor, char*& in, size_t& inLeft, Output& out, size_t& written) {
  const size_t unit = sizeof(typename Output::value_type);
  for (;;) {
    if (out.size() * unit - written < 8) out.resize(out.size() * 2 + 8);
    char* cursor = reinterpret_cast<char*>(&out[0]) + written;
    size_t room = out.size() * unit - written;
    const size_t result = iconv(descriptor, &in, &inLeft, &cursor, &room);
    written = out.size() * unit - room;
    if (result != kFailed || errno != E2BIG) return result;
  }
}

}  // namespace

CodePageConverter* CodePageConverter::ForThread(UINT codePage) {
  // Code pages iconv refused stay NULL entries, so they are not asked again.
  thread_local std::map<UINT, std::unique_ptr<CodePageConverter>> converters;
  const auto found = converters.find(codePage);
  if (found != converters.end()) return found->second.get();
  CodePageConverter* converter = (converters[codePage] = Open(codePage)).get();
  if (converter != nullptr) converter->keepsAscii_ = converter->KeepsAscii();
  return converter;
}

CodePageConverter::CodePageConverter(iconv_t toWide, iconv_t toNarrow) : toWide_(toWide), toNarrow_(toNarrow) {}

CodePageConverter::~CodePageConverter() {
  iconv_close(toWide_);
  iconv_close(toNarrow_);
}

// Whether every ASCII byte stands for the same character in this code page,
// both ways, so the ASCII shortcut gives what iconv would.
bool CodePageConverter::KeepsAscii() {
  std::string ascii;
  std::u16string wideAscii;
  for (char c = 1; c < 0x7F; ++c) {
    ascii.push_back(c);
    wideAscii.push_back(static_cast<char16_t>(c));
  }
  ascii.push_back(0x7F);
  wideAscii.push_back(0x7F);
  return Widen(ascii.data(), ascii.size(), true) == wideAscii && Narrow(wideAscii.data(), wideAscii.size()) == ascii;
}

std::optional<std::u16string> CodePageConverter::Widen(const char* bytes, size_t size, bool strict) {
  if (keepsAscii_ && IsAscii(bytes, size)) return std::u16string(bytes, bytes + size);
  iconv(toWide_, nullptr, nullptr, nullptr, nullptr);
  std::u16string wide(size, u'\0');
  size_t written = 0;
  char* in = const_cast<char*>(bytes);
  size_t inLeft = size;
  while (inLeft > 0 && ConvertInto(toWide_, in, inLeft, wide, written) == kFailed) {
    // EILSEQ or EINVAL: the byte at `in` starts no character, or only the
    // start of one that the text cuts off.
    if (strict) return std::nullopt;
    if (wide.size() * sizeof(char16_t) - written < sizeof(char16_t)) wide.resize(wide.size() + 1);
    wide[written / sizeof(char16_t)] = u'\uFFFD';
    written += sizeof(char16_t);
    ++in;
    --inLeft;
    iconv(toWide_, nullptr, nullptr, nullptr, nullptr);
  }
  wide.resize(written / sizeof(char16_t));
  return wide;
}

std::optional<std::string> CodePageConverter::Narrow(const char16_t* units, size_t count) {
  if (keepsAscii_ && IsAscii(units, count)) return std::string(units, units + count);
  iconv(toNarrow_, nullptr, nullptr, nullptr, nullptr);
  std::string narrow(count * 2, '\0');
  size_t written = 0;
  char* in = reinterpret_cast<char*>(const_cast<char16_t*>(units));
  size_t inLeft = count * sizeof(char16_t);
  // A positive answer counts characters iconv replaced by others: not exact.
  if (ConvertInto(toNarrow_, in, inLeft, narrow, written) != 0) return std::nullopt;
  // Ends any shift sequence the code page needs at the end of a text.
  if (written + 8 > narrow.size()) narrow.resize(written + 8);
  char* cursor = &narrow[written];
  size_t room = narrow.size() - written;
  if (iconv(toNarrow_, nullptr, nullptr, &cursor, &room) == kFailed) return std::nullopt;
  narrow.resize(narrow.size() - room);
  return narrow;
}

bool CodePageConverter::IsLeadByte(unsigned char byte) {
  if (!leadBytesKnown_) FindLeadBytes();
  return leadBytes_[byte];
}

void CodePageConverter::FindLeadBytes() {
  leadBytesKnown_ = true;
  for (int lead = 0x80; lead <= 0xFF; ++lead) {
    const char alone = static_cast<char>(lead);
    if (Widen(&alone, 1, true)) continue;
    for (int trail = 0x01; trail <= 0xFF && !leadBytes_[lead]; ++trail) {
      const char pair[2] = {alone, static_cast<char>(trail)};
      const std::optional<std::u16string> wide = Widen(pair, 2, true);
      leadBytes_[lead] = wide && wide->size() == 1;
    }
  }
}
