// A client's IOPCShutdown sink. It lives on the test's stack, counts the
// references the server takes on it and records every shutdown request: the
// reason, and whether the calling thread held the server lock. It can also
// answer a request as a client would, by letting go of the server.
#pragma once

#include "platform/widetext.h"
#include "platform/IOPCShutdown.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

class ShutdownSink final : public IOPCShutdown {
 public:
  ShutdownSink() = default;
  ShutdownSink(const ShutdownSink&) = delete;
  ShutdownSink& operator=(const ShutdownSink&) = delete;

  HRESULT QueryInterface(REFIID riid, void** ppvObject) override;
  ULONG AddRef() override { return ++references_; }
  ULONG Release() override { return --references_; }
  HRESULT ShutdownRequest(LPCWSTR szReason) override;

  // Runs during every later request, after it is recorded.
  void OnRequest(std::function<void()> reaction) { reaction_ = std::move(reaction); }

  struct Request {
    WideString reason;
    bool lockHeld;
  };
  std::vector<Request> Requests() const;
  // References held by others than the test.
  ULONG References() const { return references_.load(); }

 private:
  std::atomic<ULONG> references_{0};
  mutable std::mutex requestsLock_;
  std::vector<Request> requests_;
  std::function<void()> reaction_;
};
