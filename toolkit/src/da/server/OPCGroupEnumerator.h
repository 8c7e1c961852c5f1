// IEnumUnknown over a server's groups as they were when it was made. Each
// snapshot entry holds one reference on its group, so a group removed since
// stays alive until the enumerator goes. The server is its owner: the
// enumerator's references count on the server too.
#pragma once

#include "com/SnapshotEnumerator.h"

#include "platform/IEnumUnknown.h"

#include <vector>

class OPCGroupEnumerator final : public SnapshotEnumerator<IEnumUnknown, IUnknown*> {
 public:
  // Takes over one reference on each group of `groups`.
  OPCGroupEnumerator(IUnknown* owner, std::vector<IUnknown*> groups, ULONG position = 0);

  // Each group handed out is AddRef'd for the caller. An empty snapshot
  // answers S_FALSE before the arguments are looked at.
  HRESULT Next(ULONG celt, IUnknown** rgelt, ULONG* pceltFetched) override;

 private:
  ~OPCGroupEnumerator() override;
  SnapshotEnumerator* MakeClone(ULONG position) const override;
};
