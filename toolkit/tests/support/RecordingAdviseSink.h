// An IAdviseSink of a test client: keeps a copy of every stream it receives,
// with the format description that came with it and whether the server lock
// was held during the call. Lives on the test's stack; its reference count
// shows whether the server let go of it.
#pragma once

#include "platform/IAdviseSink.h"

#include <atomic>
#include <mutex>
#include <vector>

class RecordingAdviseSink final : public IAdviseSink {
 public:
  struct Received {
    FORMATETC format;
    DWORD tymed;
    std::vector<BYTE> bytes;
    bool lockHeld;
    // Counts the streams of every sink of the process: shows which came first.
    int sequence;
  };

  HRESULT QueryInterface(REFIID riid, void** ppvObject) override;
  ULONG AddRef() override { return static_cast<ULONG>(++references_); }
  ULONG Release() override { return static_cast<ULONG>(--references_); }

  void OnDataChange(FORMATETC* pFormatetc, STGMEDIUM* pStgmed) override;
  void OnViewChange(DWORD, LONG) override {}
  void OnRename(IMoniker*) override {}
  void OnSave() override {}
  void OnClose() override {}

  std::vector<Received> Streams() const;
  LONG References() const { return references_.load(); }
  // Calls that came while the server held no reference to the sink.
  int UnreferencedCalls() const { return unreferencedCalls_.load(); }

 private:
  mutable std::mutex mutex_;
  std::vector<Received> received_;
  std::atomic<LONG> references_{0};
  std::atomic<int> unreferencedCalls_{0};
};
