// The benchmark client's data-callback sink: it adds the items each data
// change brings to the client's count on the board and does nothing else, so
// that what is measured is the road, not the client's work.
#pragma once

#include "SinkObject.h"

#include <OpcInterfaces.h>

#include <atomic>

class CountingCallback : public SinkObject<IOPCDataCallback> {
 public:
  explicit CountingCallback(std::atomic<LONG64>* delivered)
      : SinkObject<IOPCDataCallback>(IID_IOPCDataCallback), delivered_(delivered) {}

  HRESULT STDMETHODCALLTYPE OnDataChange(DWORD, OPCHANDLE, HRESULT, HRESULT, DWORD count, OPCHANDLE*, VARIANT*,
                                         WORD*, FILETIME*, HRESULT*) override {
    delivered_->fetch_add(count, std::memory_order_relaxed);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnReadComplete(DWORD, OPCHANDLE, HRESULT, HRESULT, DWORD, OPCHANDLE*, VARIANT*, WORD*,
                                           FILETIME*, HRESULT*) override {
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnWriteComplete(DWORD, OPCHANDLE, HRESULT, DWORD, OPCHANDLE*, HRESULT*) override {
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnCancelComplete(DWORD, OPCHANDLE) override { return S_OK; }

 private:
  std::atomic<LONG64>* const delivered_;
};
