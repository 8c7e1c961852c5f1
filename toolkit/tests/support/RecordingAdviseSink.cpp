#include "support/RecordingAdviseSink.h"

#include "app/CVorlixApp.h"

HRESULT RecordingAdviseSink::QueryInterface(REFIID riid, void** ppvObject) {
  if (ppvObject == nullptr) return E_POINTER;
  *ppvObject = nullptr;
  if (riid != IID_IUnknown && riid != IID_IAdviseSink) return E_NOINTERFACE;
  *ppvObject = static_cast<IAdviseSink*>(this);
  AddRef();
  return S_OK;
}

void RecordingAdviseSink::OnDataChange(FORMATETC* pFormatetc, STGMEDIUM* pStgmed) {
  static std::atomic<int> streams{0};
  if (references_.load() <= 0) ++unreferencedCalls_;
  Received received{*pFormatetc, pStgmed->tymed, {}, VorlixApp().GetServerLock().HeldByCurrentThread(), ++streams};
  const BYTE* block = static_cast<const BYTE*>(GlobalLock(pStgmed->hGlobal));
  received.bytes.assign(block, block + GlobalSize(pStgmed->hGlobal));
  GlobalUnlock(pStgmed->hGlobal);
  std::lock_guard<std::mutex> guard(mutex_);
  received_.push_back(std::move(received));
}

std::vector<RecordingAdviseSink::Received> RecordingAdviseSink::Streams() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return received_;
}
