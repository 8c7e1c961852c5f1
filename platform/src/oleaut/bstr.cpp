#include "platform/bstr.h"

#include "platform/widetext.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

// Byte length prefix, text, then a 16-bit terminator.
constexpr size_t kPrefixBytes = sizeof(uint32_t);
constexpr size_t kTerminatorBytes = sizeof(OLECHAR);

// Allocates a BSTR of byteLength bytes, copying them from bytes when given and
// zeroing them otherwise. The length must fit the 32-bit prefix.
BSTR AllocateBytes(const void* bytes, size_t byteLength) {
  if (byteLength > UINT32_MAX - kPrefixBytes - kTerminatorBytes) return nullptr;
  auto* block = static_cast<unsigned char*>(std::malloc(kPrefixBytes + byteLength + kTerminatorBytes));
  if (block == nullptr) return nullptr;
  const uint32_t prefix = static_cast<uint32_t>(byteLength);
  std::memcpy(block, &prefix, kPrefixBytes);
  unsigned char* text = block + kPrefixBytes;
  if (bytes != nullptr) {
    std::memcpy(text, bytes, byteLength);
  } else {
    std::memset(text, 0, byteLength);
  }
  std::memset(text + byteLength, 0, kTerminatorBytes);
  return reinterpret_cast<BSTR>(text);
}

unsigned char* BlockOf(BSTR bstr) { return reinterpret_cast<unsigned char*>(bstr) - kPrefixBytes; }

}  // namespace

BSTR SysAllocString(const OLECHAR* psz) {
  if (psz == nullptr) return nullptr;
  return AllocateBytes(psz, WideLength(psz) * sizeof(OLECHAR));
}

BSTR SysAllocStringLen(const OLECHAR* pch, UINT ui) { return AllocateBytes(pch, size_t{ui} * sizeof(OLECHAR)); }

BSTR SysAllocStringByteLen(LPCSTR psz, UINT len) { return AllocateBytes(psz, len); }

INT SysReAllocString(BSTR* pbstr, const OLECHAR* psz) {
  return SysReAllocStringLen(pbstr, psz, static_cast<UINT>(WideLength(psz)));
}

INT SysReAllocStringLen(BSTR* pbstr, const OLECHAR* psz, UINT len) {
  if (pbstr == nullptr) return FALSE;
  // The new copy is made before the old string goes, since psz may point into it.
  BSTR copy = SysAllocStringLen(psz, len);
  if (copy == nullptr) return FALSE;
  SysFreeString(*pbstr);
  *pbstr = copy;
  return TRUE;
}

void SysFreeString(BSTR bstrString) {
  if (bstrString != nullptr) std::free(BlockOf(bstrString));
}

UINT SysStringByteLen(BSTR bstr) {
  if (bstr == nullptr) return 0;
  uint32_t prefix;
  std::memcpy(&prefix, BlockOf(bstr), kPrefixBytes);
  return prefix;
}

UINT SysStringLen(BSTR pbstr) { return SysStringByteLen(pbstr) / sizeof(OLECHAR); }
