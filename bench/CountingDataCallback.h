// A data-callback sink for benchmarks: it counts the items that data changes
// and read completions bring and keeps the last value, and does nothing else,
// so that what is measured is the library's side of the delivery.
#pragma once

#include "platform/IOPCDataCallback.h"
#include "platform/opcguid.h"

#include <atomic>
#include <cstdint>

class CountingDataCallback : public IOPCDataCallback {
 public:
  HRESULT QueryInterface(REFIID riid, void** object) override {
    if (riid != IID_IUnknown && riid != IID_IOPCDataCallback) return E_NOINTERFACE;
    *object = static_cast<IOPCDataCallback*>(this);
    return S_OK;
  }
  // Lives as long as the benchmark: the counts are not kept.
  ULONG AddRef() override { return 2; }
  ULONG Release() override { return 1; }
  HRESULT OnDataChange(DWORD, OPCHANDLE, HRESULT, HRESULT, DWORD count, OPCHANDLE*, VARIANT* values, WORD*,
                       FILETIME*, HRESULT*) override {
    return Count(count, values);
  }
  HRESULT OnReadComplete(DWORD, OPCHANDLE, HRESULT, HRESULT, DWORD count, OPCHANDLE*, VARIANT* values, WORD*,
                         FILETIME*, HRESULT*) override {
    return Count(count, values);
  }
  HRESULT OnWriteComplete(DWORD, OPCHANDLE, HRESULT, DWORD, OPCHANDLE*, HRESULT*) override { return S_OK; }
  HRESULT OnCancelComplete(DWORD, OPCHANDLE) override { return S_OK; }

  std::atomic<uint64_t> items{0};
  // The last item's value as a float (the benchmarks' tags are VT_R4).
  std::atomic<float> lastValue{-1.0f};

 private:
  HRESULT Count(DWORD count, const VARIANT* values) {
    items += count;
    if (count > 0) lastValue = values[count - 1].fltVal;
    return S_OK;
  }
};
