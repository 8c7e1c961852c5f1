#include "com/IOPCEnumString.h"

#include "app/CallBoundary.h"

#include <new>
#include <utility>

IOPCEnumString::IOPCEnumString(std::vector<std::string> texts, ULONG position)
    : SnapshotEnumerator("IOPCEnumString", IID_IEnumString, " IID_IEnumString", std::move(texts), position) {}

HRESULT IOPCEnumString::Next(ULONG celt, LPOLESTR* rgelt, ULONG* pceltFetched) {
  return AnswerComCall([&]() -> HRESULT {
    Trace("::Next");
    return HandOutNext(celt, rgelt, pceltFetched, [&](const std::string* texts, ULONG count) {
      const CVorlixApp& app = VorlixApp();
      for (ULONG i = 0; i < count; ++i) {
        rgelt[i] = app.AllocWideFromAnsi(texts[i].c_str(), TRUE);
        if (rgelt[i] != nullptr) continue;
        for (ULONG written = 0; written < i; ++written) {
          app.TaskFree(rgelt[written], TRUE);
          rgelt[written] = nullptr;
        }
        return false;
      }
      return true;
    });
  });
}

IOPCEnumString::SnapshotEnumerator* IOPCEnumString::MakeClone(ULONG position) const {
  return new (std::nothrow) IOPCEnumString(Snapshot(), position);
}
