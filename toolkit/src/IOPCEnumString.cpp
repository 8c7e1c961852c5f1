#include "IOPCEnumString.h"

#include "CVorlixApp.h"
#include "QueryOwnInterface.h"

#include <new>
#include <utility>

IOPCEnumString::IOPCEnumString(std::vector<std::string> texts, ULONG position)
    : texts_(std::move(texts)), cursor_(position) {}

HRESULT IOPCEnumString::QueryInterface(REFIID riid, void** ppvObject) {
  return QueryOwnInterface(*this, IID_IEnumString, " IID_IEnumString", "IOPCEnumString::QueryInterface", riid,
                           ppvObject);
}

ULONG IOPCEnumString::AddRef() {
  const LONG count = ++references_;
  VorlixApp().TraceMessage("IOPCEnumString::AddRef(" + std::to_string(count) + ")");
  return static_cast<ULONG>(count);
}

ULONG IOPCEnumString::Release() {
  const LONG count = --references_;
  VorlixApp().TraceMessage("IOPCEnumString::Release(" + std::to_string(count + 1) + ")");
  if (count == 0) delete this;
  return static_cast<ULONG>(count);
}

HRESULT IOPCEnumString::Next(ULONG celt, LPOLESTR* rgelt, ULONG* pceltFetched) {
  VorlixApp().TraceMessage("IOPCEnumString::Next");
  return cursor_.Next(celt, rgelt, pceltFetched, texts_.size(), [&](ULONG first, ULONG count) {
    for (ULONG i = 0; i < count; ++i) {
      rgelt[i] = VorlixApp().AllocWideFromAnsi(texts_[first + i].c_str(), TRUE);
      if (rgelt[i] != nullptr) continue;
      // Nothing is handed out unless everything is.
      for (ULONG written = 0; written < i; ++written) {
        VorlixApp().TaskFree(rgelt[written], TRUE);
        rgelt[written] = nullptr;
      }
      return false;
    }
    return true;
  });
}

HRESULT IOPCEnumString::Skip(ULONG celt) {
  VorlixApp().TraceMessage("IOPCEnumString::Skip");
  return cursor_.Skip(celt, texts_.size());
}

HRESULT IOPCEnumString::Reset() {
  VorlixApp().TraceMessage("IOPCEnumString::Reset");
  cursor_.Reset();
  return S_OK;
}

HRESULT IOPCEnumString::Clone(IEnumString** ppenum) {
  VorlixApp().TraceMessage("IOPCEnumString::Clone");
  if (ppenum == nullptr) return E_INVALIDARG;
  IOPCEnumString* clone = new (std::nothrow) IOPCEnumString(texts_, cursor_.Position());
  *ppenum = clone;
  if (clone == nullptr) return E_OUTOFMEMORY;
  clone->AddRef();
  return S_OK;
}
