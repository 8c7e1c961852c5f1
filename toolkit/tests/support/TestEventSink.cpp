#include "support/TestEventSink.h"

#include "app/CVorlixApp.h"
#include "support/Eventually.h"

#include <gtest/gtest.h>

#include "platform/opcguid.h"
#include "platform/widetext.h"

TestEventSink::~TestEventSink() {
  if (!Eventually([this] { return references_.load() == 0; })) ADD_FAILURE() << "the library still holds the sink";
}

HRESULT TestEventSink::QueryInterface(REFIID riid, void** ppvObject) {
  if (ppvObject == nullptr) return E_INVALIDARG;
  *ppvObject = nullptr;
  if (riid != IID_IUnknown && riid != IID_IOPCEventSink) return E_NOINTERFACE;
  *ppvObject = static_cast<IOPCEventSink*>(this);
  AddRef();
  return S_OK;
}

HRESULT TestEventSink::OnEvent(OPCHANDLE hClientSubscription, BOOL bRefresh, BOOL bLastRefresh, DWORD dwCount,
                               ONEVENTSTRUCT* pEvents) {
  const bool underLock = VorlixApp().GetServerLock().HeldByCurrentThread();
  {
    std::lock_guard<std::mutex> guard(mutex_);
    for (DWORD i = 0; i < dwCount; ++i) {
      const ONEVENTSTRUCT& event = pEvents[i];
      Received received{hClientSubscription,
                        bRefresh,
                        bLastRefresh,
                        dwCount,
                        std::this_thread::get_id(),
                        underLock,
                        event.wChangeMask,
                        event.wNewState,
                        NarrowAnsi(event.szSource).value(),
                        event.ftTime,
                        NarrowAnsi(event.szMessage).value(),
                        event.dwEventType,
                        event.dwEventCategory,
                        event.dwSeverity,
                        NarrowAnsi(event.szConditionName).value(),
                        NarrowAnsi(event.szSubconditionName).value(),
                        event.wQuality,
                        event.bAckRequired,
                        event.ftActiveTime,
                        event.dwCookie,
                        {},
                        NarrowAnsi(event.szActorID).value()};
      for (DWORD a = 0; a < event.dwNumEventAttrs; ++a) {
        VARIANT text;
        VariantInit(&text);
        if (SUCCEEDED(VariantChangeType(&text, &event.pEventAttributes[a], 0, VT_BSTR))) {
          received.attributes.push_back(NarrowAnsi(text.bstrVal).value());
        }
        VariantClear(&text);
      }
      events_.push_back(std::move(received));
    }
  }
  // A copy, so that the reaction may replace itself.
  const std::function<void()> reaction = reaction_;
  if (reaction) reaction();
  return result_;
}

std::vector<TestEventSink::Received> TestEventSink::Events() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return events_;
}

std::vector<std::string> TestEventSink::Messages() const {
  std::vector<std::string> messages;
  for (const Received& event : Events()) messages.push_back(event.message);
  return messages;
}
