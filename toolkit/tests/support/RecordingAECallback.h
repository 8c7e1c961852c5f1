// A host's AE callback object that writes down the subscription calls it gets
// (as "Create <handle> <buffer time> <max size> <client handle>" and the like)
// and answers them itself; every other operation keeps the library's default.
// It also counts the calls made while the library's lock was held.
#pragma once

#include "Vorlix.h"

#include <mutex>
#include <string>
#include <vector>

class RecordingAECallback : public CLumoAExCallback {
 public:
  // The calls so far, from any thread, in order.
  std::vector<std::string> Calls() const;
  // How many of them came while the calling thread held the library's lock.
  int CallsUnderLock() const;

  HRESULT CreateEventSubscription(DWORD subscription, DWORD revisedBufferTime, DWORD revisedMaxSize,
                                  OPCHANDLE clientSubscription) override;
  HRESULT RemoveEventSubscription(DWORD subscription) override;
  // "Filter <handle> <type> <categories...> <low>-<high> <areas...> <sources...>"; S_OK.
  HRESULT SetEventSubscriptionFilter(DWORD subscription, DWORD eventType, DWORD categoryCount, DWORD* categories,
                                     DWORD lowSeverity, DWORD highSeverity, DWORD areaCount, LPWSTR* areas,
                                     DWORD sourceCount, LPWSTR* sources) override;
  // Active, buffer time 250, maximum size 10, client handle 77; S_OK.
  HRESULT GetEventSubscriptionState(DWORD subscription, BOOL* active, DWORD* bufferTime, DWORD* maxSize,
                                    OPCHANDLE* clientSubscription) override;
  // "State <handle> <active or -> <buffer time or -> <max size or -> <client handle>",
  // revised buffer time 500 and maximum size 5; S_OK.
  HRESULT SetEventSubscriptionState(DWORD subscription, BOOL* active, DWORD* bufferTime, DWORD* maxSize,
                                    OPCHANDLE clientSubscription, DWORD* revisedBufferTime,
                                    DWORD* revisedMaxSize) override;

 private:
  void Add(std::string call);

  mutable std::mutex mutex_;
  std::vector<std::string> calls_;
  int callsUnderLock_ = 0;
};
