#include "support/ShutdownSink.h"

#include "app/CVorlixApp.h"

#include "platform/opcguid.h"

HRESULT ShutdownSink::QueryInterface(REFIID riid, void** ppvObject) {
  if (ppvObject == nullptr) return E_POINTER;
  if (riid != IID_IUnknown && riid != IID_IOPCShutdown) {
    *ppvObject = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  *ppvObject = static_cast<IOPCShutdown*>(this);
  return S_OK;
}

HRESULT ShutdownSink::ShutdownRequest(LPCWSTR szReason) {
  {
    std::lock_guard<std::mutex> guard(requestsLock_);
    requests_.push_back(
        {szReason == nullptr ? OLESTR("(null)") : szReason, VorlixApp().GetServerLock().HeldByCurrentThread()});
  }
  if (reaction_) reaction_();
  return S_OK;
}

std::vector<ShutdownSink::Request> ShutdownSink::Requests() const {
  std::lock_guard<std::mutex> guard(requestsLock_);
  return requests_;
}
