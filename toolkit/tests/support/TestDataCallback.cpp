#include "support/TestDataCallback.h"

#include "app/CVorlixApp.h"
#include "support/Eventually.h"

#include <gtest/gtest.h>

#include "platform/opcguid.h"
#include "platform/widetext.h"

std::string ValueText(const VARIANT& value) {
  VARIANT text;
  VariantInit(&text);
  std::string result;
  if (SUCCEEDED(VariantChangeType(&text, &value, 0, VT_BSTR))) result = NarrowAnsi(text.bstrVal).value_or("");
  VariantClear(&text);
  return result;
}

namespace {

TestDataCallback::Call ValuesCall(TestDataCallback::Call::Kind kind, DWORD transactionId, OPCHANDLE group,
                                  HRESULT masterQuality, HRESULT masterError, DWORD count, const OPCHANDLE* handles,
                                  const VARIANT* values, const WORD* qualities, const FILETIME* timestamps,
                                  const HRESULT* errors) {
  TestDataCallback::Call call{kind, transactionId, group, masterQuality, masterError, {}, {}, false};
  for (DWORD i = 0; i < count; ++i) {
    call.items.push_back({handles[i], values[i].vt, ValueText(values[i]), qualities[i], timestamps[i], errors[i]});
  }
  return call;
}

}  // namespace

TestDataCallback::~TestDataCallback() {
  if (!Eventually([this] { return references_.load() == 0; })) ADD_FAILURE() << "the library still holds the sink";
}

HRESULT TestDataCallback::QueryInterface(REFIID riid, void** ppvObject) {
  if (ppvObject == nullptr) return E_INVALIDARG;
  *ppvObject = nullptr;
  if (riid != IID_IUnknown && riid != IID_IOPCDataCallback) return E_NOINTERFACE;
  *ppvObject = static_cast<IOPCDataCallback*>(this);
  AddRef();
  return S_OK;
}

HRESULT TestDataCallback::OnDataChange(DWORD dwTransid, OPCHANDLE hGroup, HRESULT hrMasterquality,
                                       HRESULT hrMastererror, DWORD dwCount, OPCHANDLE* phClientItems,
                                       VARIANT* pvValues, WORD* pwQualities, FILETIME* pftTimeStamps,
                                       HRESULT* pErrors) {
  return Keep(ValuesCall(Call::kDataChange, dwTransid, hGroup, hrMasterquality, hrMastererror, dwCount, phClientItems,
                         pvValues, pwQualities, pftTimeStamps, pErrors));
}

HRESULT TestDataCallback::OnReadComplete(DWORD dwTransid, OPCHANDLE hGroup, HRESULT hrMasterquality,
                                         HRESULT hrMastererror, DWORD dwCount, OPCHANDLE* phClientItems,
                                         VARIANT* pvValues, WORD* pwQualities, FILETIME* pftTimeStamps,
                                         HRESULT* pErrors) {
  return Keep(ValuesCall(Call::kReadComplete, dwTransid, hGroup, hrMasterquality, hrMastererror, dwCount,
                         phClientItems, pvValues, pwQualities, pftTimeStamps, pErrors));
}

HRESULT TestDataCallback::OnWriteComplete(DWORD dwTransid, OPCHANDLE hGroup, HRESULT hrMastererr, DWORD dwCount,
                                          OPCHANDLE* pClienthandles, HRESULT* pErrors) {
  Call call{Call::kWriteComplete, dwTransid, hGroup, S_OK, hrMastererr, {}, {}, false};
  for (DWORD i = 0; i < dwCount; ++i) call.items.push_back({pClienthandles[i], VT_EMPTY, "", 0, {0, 0}, pErrors[i]});
  return Keep(std::move(call));
}

HRESULT TestDataCallback::OnCancelComplete(DWORD dwTransid, OPCHANDLE hGroup) {
  return Keep(Call{Call::kCancelComplete, dwTransid, hGroup, S_OK, S_OK, {}, {}, false});
}

HRESULT TestDataCallback::Keep(Call call) {
  call.thread = std::this_thread::get_id();
  call.underLock = VorlixApp().GetServerLock().HeldByCurrentThread();
  std::function<void()> reaction;
  {
    std::lock_guard<std::mutex> guard(mutex_);
    // Counted once kept, so that a test that sees the count finds the call.
    if (call.kind == Call::kDataChange) deliveredItems_ += call.items.size();
    calls_.push_back(std::move(call));
    reaction = reaction_;
  }
  if (reaction) reaction();
  return S_OK;
}

std::vector<TestDataCallback::Call> TestDataCallback::Calls() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return calls_;
}

std::vector<TestDataCallback::Call> TestDataCallback::Take() {
  std::lock_guard<std::mutex> guard(mutex_);
  std::vector<Call> taken;
  taken.swap(calls_);
  return taken;
}

void TestDataCallback::SetReaction(std::function<void()> reaction) {
  std::lock_guard<std::mutex> guard(mutex_);
  reaction_ = std::move(reaction);
}
