#include "da/io/IOPCAsyncIOHolder.h"

#include "app/CallBoundary.h"
#include "app/OutPointers.h"
#include "da/group/OPCGroup.h"
#include "da/io/TransactionIntake.h"

IOPCAsyncIOHolder::IOPCAsyncIOHolder(OPCGroup& owner) : InterfaceHolder(owner, "IOPCASyncIO", "OPCGroup", " ") {}

HRESULT IOPCAsyncIOHolder::Read(DWORD, OPCDATASOURCE, DWORD dwNumItems, OPCHANDLE* phServer, DWORD* pTransactionID,
                                HRESULT** ppErrors) {
  return AnswerComCall([&]() -> HRESULT {
    VorlixApp().TraceMessage("IOPCASyncIO::Read");
    if (!ClearOutPointers(pTransactionID, ppErrors) || dwNumItems == 0 || phServer == nullptr) return E_INVALIDARG;
    if (owner_.Removed()) return E_FAIL;
    if (!owner_.HasReadSink()) return CONNECT_E_NOCONNECTION;
    if (owner_.Transactions().Full()) return E_FAIL;
    return TransactionIntake(owner_, OPCTransaction::kDataObjectPath)
        .QueueItems(OPCTransaction::kRead, dwNumItems, phServer, nullptr, 0, pTransactionID, ppErrors);
  });
}

HRESULT IOPCAsyncIOHolder::Write(DWORD, DWORD dwNumItems, OPCHANDLE* phServer, VARIANT* pItemValues,
                                 DWORD* pTransactionID, HRESULT** ppErrors) {
  return AnswerComCall([&]() -> HRESULT {
    VorlixApp().TraceMessage("IOPCASyncIO::Write");
    if (!ClearOutPointers(pTransactionID, ppErrors) || dwNumItems == 0 || phServer == nullptr ||
        pItemValues == nullptr) {
      return E_INVALIDARG;
    }
    if (owner_.Removed()) return E_FAIL;
    if (owner_.Transactions().Full()) return E_FAIL;
    if (!owner_.HasWriteSink()) return CONNECT_E_NOCONNECTION;
    return TransactionIntake(owner_, OPCTransaction::kDataObjectPath)
        .QueueItems(OPCTransaction::kWrite, dwNumItems, phServer, pItemValues, 0, pTransactionID, ppErrors);
  });
}

HRESULT IOPCAsyncIOHolder::Refresh(DWORD, OPCDATASOURCE, DWORD* pTransactionID) {
  return AnswerComCall([&]() -> HRESULT {
    VorlixApp().TraceMessage("IOPCASyncIO::Refresh");
    if (!ClearOutPointers(pTransactionID)) return E_INVALIDARG;
    if (owner_.Removed()) return E_FAIL;
    if (owner_.Transactions().Full()) return E_FAIL;
    if (!owner_.HasReadSink()) return CONNECT_E_NOCONNECTION;
    return TransactionIntake(owner_, OPCTransaction::kDataObjectPath).QueueRefresh(0, pTransactionID);
  });
}

HRESULT IOPCAsyncIOHolder::Cancel(DWORD dwTransactionID) {
  return AnswerComCall([&]() -> HRESULT {
    VorlixApp().TraceMessage("IOPCASyncIO::Cancel");
    if (owner_.Removed()) return E_FAIL;
    return owner_.Transactions().Cancel(OPCTransaction::kDataObjectPath, dwTransactionID) ? S_OK : E_FAIL;
  });
}
