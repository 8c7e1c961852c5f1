// An IEnumString over a list of texts fixed when it is made (group names,
// browse results). Every text handed out is a new wide copy from the task
// allocator, which the caller frees. The enumerator counts its own references
// and goes at its last Release.
#pragma once

#include "EnumeratorCursor.h"

#include "platform/IEnumString.h"

#include <atomic>
#include <string>
#include <vector>

class IOPCEnumString final : public IEnumString {
 public:
  explicit IOPCEnumString(std::vector<std::string> texts, ULONG position = 0);
  IOPCEnumString(const IOPCEnumString&) = delete;
  IOPCEnumString& operator=(const IOPCEnumString&) = delete;

  HRESULT QueryInterface(REFIID riid, void** ppvObject) override;
  ULONG AddRef() override;
  ULONG Release() override;

  HRESULT Next(ULONG celt, LPOLESTR* rgelt, ULONG* pceltFetched) override;
  HRESULT Skip(ULONG celt) override;
  HRESULT Reset() override;
  HRESULT Clone(IEnumString** ppenum) override;

 private:
  ~IOPCEnumString() = default;

  const std::vector<std::string> texts_;
  EnumeratorCursor cursor_;
  std::atomic<LONG> references_{0};
};
