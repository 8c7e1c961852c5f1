#include "da/io/IOPCAsyncIO2Holder.h"

#include "app/CallBoundary.h"
#include "app/OutPointers.h"
#include "da/group/OPCGroup.h"
#include "da/io/TransactionIntake.h"

IOPCAsyncIO2Holder::IOPCAsyncIO2Holder(OPCGroup& owner) : InterfaceHolder(owner, "IOPCASyncIO2", "OPCGroup", " ") {}

HRESULT IOPCAsyncIO2Holder::Read(DWORD dwCount, OPCHANDLE* phServer, DWORD dwTransactionID, DWORD* pdwCancelID,
                                 HRESULT** ppErrors) {
  return AnswerComCall([&]() -> HRESULT {
    VorlixApp().TraceMessage("IOPCASyncIO2::Read");
    if (!ClearOutPointers(pdwCancelID, ppErrors) || dwCount == 0 || phServer == nullptr) return E_INVALIDARG;
    if (const HRESULT hr = SinkState(); hr != S_OK) return hr;
    if (owner_.Transactions().Full()) return E_FAIL;
    return TransactionIntake(owner_, OPCTransaction::kCallbackPath)
        .QueueItems(OPCTransaction::kRead, dwCount, phServer, nullptr, dwTransactionID, pdwCancelID, ppErrors);
  });
}

HRESULT IOPCAsyncIO2Holder::Write(DWORD dwCount, OPCHANDLE* phServer, VARIANT* pItemValues, DWORD dwTransactionID,
                                  DWORD* pdwCancelID, HRESULT** ppErrors) {
  return AnswerComCall([&]() -> HRESULT {
    VorlixApp().TraceMessage("IOPCASyncIO2::Write");
    if (!ClearOutPointers(pdwCancelID, ppErrors) || dwCount == 0 || phServer == nullptr || pItemValues == nullptr) {
      return E_INVALIDARG;
    }
    if (owner_.Removed() || owner_.Transactions().Full()) return E_FAIL;
    if (const HRESULT hr = SinkState(); hr != S_OK) return hr;
    return TransactionIntake(owner_, OPCTransaction::kCallbackPath)
        .QueueItems(OPCTransaction::kWrite, dwCount, phServer, pItemValues, dwTransactionID, pdwCancelID, ppErrors);
  });
}

HRESULT IOPCAsyncIO2Holder::Refresh2(OPCDATASOURCE, DWORD dwTransactionID, DWORD* pdwCancelID) {
  return AnswerComCall([&]() -> HRESULT {
    VorlixApp().TraceMessage("IOPCASyncIO2::Refresh2");
    if (!ClearOutPointers(pdwCancelID)) return E_INVALIDARG;
    if (owner_.Removed() || owner_.Transactions().Full()) return E_FAIL;
    if (const HRESULT hr = SinkState(); hr != S_OK) return hr;
    return TransactionIntake(owner_, OPCTransaction::kCallbackPath).QueueRefresh(dwTransactionID, pdwCancelID);
  });
}

HRESULT IOPCAsyncIO2Holder::Cancel2(DWORD dwCancelID) {
  return AnswerComCall([&]() -> HRESULT {
    VorlixApp().TraceMessage("IOPCASyncIO2::Cancel2");
    if (owner_.Removed()) return E_FAIL;
    return owner_.Transactions().Cancel(OPCTransaction::kCallbackPath, dwCancelID) ? S_OK : E_FAIL;
  });
}

HRESULT IOPCAsyncIO2Holder::SetEnable(BOOL bEnable) {
  return AnswerComCall([&]() -> HRESULT {
    if (const HRESULT hr = SinkState(); hr != S_OK) return hr;
    owner_.SetCallbackEnable(bEnable);
    return S_OK;
  });
}

HRESULT IOPCAsyncIO2Holder::GetEnable(BOOL* pbEnable) {
  return AnswerComCall([&]() -> HRESULT {
    if (const HRESULT hr = SinkState(); hr != S_OK) return hr;
    if (pbEnable == nullptr) return E_INVALIDARG;
    *pbEnable = owner_.GetCallbackEnable();
    return S_OK;
  });
}

HRESULT IOPCAsyncIO2Holder::SinkState() const {
  if (owner_.Removed()) return E_FAIL;
  return owner_.HasCallbackSink() ? S_OK : CONNECT_E_NOCONNECTION;
}
