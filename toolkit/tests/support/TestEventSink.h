// A client's IOPCEventSink that keeps a copy of every event it is sent, with
// the call's arguments, the thread it came on and whether that thread held the
// library's lock. The test owns it; its reference count tells how many
// references the library holds, and a test may make a call fail.
#pragma once

#include "platform/IOPCEventSink.h"
#include "platform/variant.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class TestEventSink : public IOPCEventSink {
 public:
  // One event as it arrived.
  struct Received {
    OPCHANDLE clientSubscription;
    BOOL refresh;
    BOOL lastRefresh;
    DWORD count;
    std::thread::id thread;
    bool underLock;
    WORD changeMask;
    WORD newState;
    std::string source;
    FILETIME time;
    std::string message;
    DWORD eventType;
    DWORD category;
    DWORD severity;
    std::string conditionName;
    std::string subconditionName;
    WORD quality;
    BOOL ackRequired;
    FILETIME activeTime;
    DWORD cookie;
    std::vector<std::string> attributes;  // each as text
    std::string actorId;
  };

  TestEventSink() = default;
  // Waits until the library has let go of the sink: a broadcast on another
  // thread may still hold it for a moment after its subscription went.
  ~TestEventSink();
  TestEventSink(const TestEventSink&) = delete;
  TestEventSink& operator=(const TestEventSink&) = delete;

  HRESULT QueryInterface(REFIID riid, void** ppvObject) override;
  ULONG AddRef() override { return static_cast<ULONG>(++references_); }
  ULONG Release() override { return static_cast<ULONG>(--references_); }
  HRESULT OnEvent(OPCHANDLE hClientSubscription, BOOL bRefresh, BOOL bLastRefresh, DWORD dwCount,
                  ONEVENTSTRUCT* pEvents) override;

  std::vector<Received> Events() const;
  // The messages of the events so far, in order.
  std::vector<std::string> Messages() const;
  LONG References() const { return references_.load(); }
  // Runs inside every OnEvent after the event is kept (for instance to
  // release the subscription from the sink).
  void SetReaction(std::function<void()> reaction) { reaction_ = std::move(reaction); }
  // What OnEvent returns.
  void SetResult(HRESULT result) { result_ = result; }

 private:
  mutable std::mutex mutex_;
  std::vector<Received> events_;
  std::atomic<LONG> references_{0};
  std::function<void()> reaction_;
  HRESULT result_ = S_OK;
};
