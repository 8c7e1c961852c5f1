#include "IOPCEnumString.h"

#include "platform/guid.h"

#include <new>

IOPCEnumString::IOPCEnumString(std::vector<std::string> texts)
    : SnapshotEnumerator("IOPCEnumString", IID_IEnumString, " IID_IEnumString", std::move(texts)) {}

HRESULT IOPCEnumString::Next(ULONG celt, LPOLESTR* rgelt, ULONG* pceltFetched) {
  Trace("::Next");
  if ((pceltFetched == nullptr && celt != 1) || (rgelt == nullptr && celt != 0)) return E_POINTER;
  return HandOutNext(celt, pceltFetched, [&](const std::string* texts, ULONG count) {
    const CVorlixApp& app = VorlixApp();
    for (ULONG i = 0; i < count; ++i) {
      rgelt[i] = app.AllocWideFromAnsi(texts[i].c_str(), TRUE);
      if (rgelt[i] != nullptr) continue;
      while (i > 0) {
        --i;
        app.TaskFree(rgelt[i], TRUE);
        rgelt[i] = nullptr;
      }
      return E_OUTOFMEMORY;
    }
    return S_OK;
  });
}

IOPCEnumString::SnapshotEnumerator* IOPCEnumString::MakeClone() const {
  return new (std::nothrow) IOPCEnumString(Snapshot());
}
