#include "com/PerItemCall.h"

#include <algorithm>

HRESULT PerItemOutcome(const HRESULT* errors, DWORD count) {
  return std::all_of(errors, errors + count, [](HRESULT error) { return error == S_OK; }) ? S_OK : S_FALSE;
}
