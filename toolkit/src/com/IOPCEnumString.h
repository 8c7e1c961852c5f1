// IEnumString over a list of 8-bit texts fixed when it is made (group names,
// browse results). Every text handed out is a new wide copy from the task
// allocator, which the caller frees.
#pragma once

#include "com/SnapshotEnumerator.h"

#include "platform/IEnumString.h"

#include <string>
#include <vector>

class IOPCEnumString final : public SnapshotEnumerator<IEnumString, std::string> {
 public:
  explicit IOPCEnumString(std::vector<std::string> texts, ULONG position = 0);

  // Nothing is handed out unless everything is: E_OUTOFMEMORY, position kept,
  // when a copy cannot be had.
  HRESULT Next(ULONG celt, LPOLESTR* rgelt, ULONG* pceltFetched) override;

 private:
  ~IOPCEnumString() override = default;
  SnapshotEnumerator* MakeClone(ULONG position) const override;
};
