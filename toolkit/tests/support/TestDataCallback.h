// A client's IOPCDataCallback that keeps a copy of every call it is sent: which
// call, its transaction id, group handle and master results, and each item's
// client handle, value (its type and its text), quality, time stamp and error,
// with the thread it came on and whether that thread held the library's lock.
// The test owns it; its reference count tells how many references the library
// holds. A reaction runs inside every call (to unadvise, release or remove the
// group from the sink).
#pragma once

#include "platform/IOPCDataCallback.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// The value as text, as the sink keeps it (empty when it has no text form).
std::string ValueText(const VARIANT& value);

class TestDataCallback : public IOPCDataCallback {
 public:
  struct Item {
    OPCHANDLE clientHandle;
    VARTYPE type;
    std::string value;
    WORD quality;
    FILETIME timestamp;
    HRESULT error;
  };
  struct Call {
    enum Kind { kDataChange, kReadComplete, kWriteComplete, kCancelComplete } kind;
    DWORD transactionId;
    OPCHANDLE group;
    HRESULT masterQuality;
    HRESULT masterError;
    std::vector<Item> items;
    std::thread::id thread;
    bool underLock;
  };

  TestDataCallback() = default;
  // Waits until the library has let go of the sink.
  ~TestDataCallback();
  TestDataCallback(const TestDataCallback&) = delete;
  TestDataCallback& operator=(const TestDataCallback&) = delete;

  HRESULT QueryInterface(REFIID riid, void** ppvObject) override;
  ULONG AddRef() override { return static_cast<ULONG>(++references_); }
  ULONG Release() override { return static_cast<ULONG>(--references_); }
  HRESULT OnDataChange(DWORD dwTransid, OPCHANDLE hGroup, HRESULT hrMasterquality, HRESULT hrMastererror,
                       DWORD dwCount, OPCHANDLE* phClientItems, VARIANT* pvValues, WORD* pwQualities,
                       FILETIME* pftTimeStamps, HRESULT* pErrors) override;
  HRESULT OnReadComplete(DWORD dwTransid, OPCHANDLE hGroup, HRESULT hrMasterquality, HRESULT hrMastererror,
                         DWORD dwCount, OPCHANDLE* phClientItems, VARIANT* pvValues, WORD* pwQualities,
                         FILETIME* pftTimeStamps, HRESULT* pErrors) override;
  HRESULT OnWriteComplete(DWORD dwTransid, OPCHANDLE hGroup, HRESULT hrMastererr, DWORD dwCount,
                          OPCHANDLE* pClienthandles, HRESULT* pErrors) override;
  HRESULT OnCancelComplete(DWORD dwTransid, OPCHANDLE hGroup) override;

  std::vector<Call> Calls() const;
  // The calls so far, forgetting them.
  std::vector<Call> Take();
  // How many items arrived through OnDataChange so far.
  size_t DeliveredItems() const { return deliveredItems_.load(); }
  LONG References() const { return references_.load(); }
  void SetReaction(std::function<void()> reaction);

 private:
  HRESULT Keep(Call call);

  mutable std::mutex mutex_;
  std::vector<Call> calls_;
  std::atomic<size_t> deliveredItems_{0};
  std::atomic<LONG> references_{0};
  std::function<void()> reaction_;
};
