#include "support/RecordingAECallback.h"

#include "app/CVorlixApp.h"

#include "platform/widetext.h"

namespace {

template <class Value>
std::string OrDash(const Value* value) {
  return value != nullptr ? std::to_string(*value) : "-";
}

}  // namespace

std::vector<std::string> RecordingAECallback::Calls() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return calls_;
}

int RecordingAECallback::CallsUnderLock() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return callsUnderLock_;
}

void RecordingAECallback::Add(std::string call) {
  const bool underLock = VorlixApp().GetServerLock().HeldByCurrentThread();
  std::lock_guard<std::mutex> guard(mutex_);
  calls_.push_back(std::move(call));
  if (underLock) ++callsUnderLock_;
}

HRESULT RecordingAECallback::CreateEventSubscription(DWORD subscription, DWORD revisedBufferTime,
                                                     DWORD revisedMaxSize, OPCHANDLE clientSubscription) {
  Add("Create " + std::to_string(subscription) + " " + std::to_string(revisedBufferTime) + " " +
      std::to_string(revisedMaxSize) + " " + std::to_string(clientSubscription));
  return S_OK;
}

HRESULT RecordingAECallback::RemoveEventSubscription(DWORD subscription) {
  Add("Remove " + std::to_string(subscription));
  return S_OK;
}

HRESULT RecordingAECallback::SetEventSubscriptionFilter(DWORD subscription, DWORD eventType, DWORD categoryCount,
                                                        DWORD* categories, DWORD lowSeverity, DWORD highSeverity,
                                                        DWORD areaCount, LPWSTR* areas, DWORD sourceCount,
                                                        LPWSTR* sources) {
  std::string call = "Filter " + std::to_string(subscription) + " " + std::to_string(eventType);
  for (DWORD i = 0; i < categoryCount; ++i) call += " " + std::to_string(categories[i]);
  call += " " + std::to_string(lowSeverity) + "-" + std::to_string(highSeverity);
  for (DWORD i = 0; i < areaCount; ++i) call += " " + NarrowAnsi(areas[i]).value();
  for (DWORD i = 0; i < sourceCount; ++i) call += " " + NarrowAnsi(sources[i]).value();
  Add(call);
  return S_OK;
}

HRESULT RecordingAECallback::GetEventSubscriptionState(DWORD subscription, BOOL* active, DWORD* bufferTime,
                                                       DWORD* maxSize, OPCHANDLE* clientSubscription) {
  Add("GetState " + std::to_string(subscription));
  *active = TRUE;
  *bufferTime = 250;
  *maxSize = 10;
  *clientSubscription = 77;
  return S_OK;
}

HRESULT RecordingAECallback::SetEventSubscriptionState(DWORD subscription, BOOL* active, DWORD* bufferTime,
                                                       DWORD* maxSize, OPCHANDLE clientSubscription,
                                                       DWORD* revisedBufferTime, DWORD* revisedMaxSize) {
  Add("State " + std::to_string(subscription) + " " + OrDash(active) + " " + OrDash(bufferTime) + " " +
      OrDash(maxSize) + " " + std::to_string(clientSubscription));
  *revisedBufferTime = 500;
  *revisedMaxSize = 5;
  return S_OK;
}
