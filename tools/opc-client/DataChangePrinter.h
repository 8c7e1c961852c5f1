// The client's IOPCDataCallback: every value a group sends (data changes,
// read completions) becomes one line of the arrival log.
#pragma once

#include "ArrivalLog.h"
#include "ClientGroup.h"
#include "SinkObject.h"

class DataChangePrinter final : public SinkObject<IOPCDataCallback> {
 public:
  DataChangePrinter(const ClientGroup& group, ArrivalLog& log)
      : SinkObject(IID_IOPCDataCallback), group_(group), log_(log) {}

  HRESULT STDMETHODCALLTYPE OnDataChange(DWORD transaction, OPCHANDLE group, HRESULT masterQuality,
                                         HRESULT masterError, DWORD count, OPCHANDLE* clientItems,
                                         VARIANT* values, WORD* qualities, FILETIME* times,
                                         HRESULT* errors) override;
  HRESULT STDMETHODCALLTYPE OnReadComplete(DWORD transaction, OPCHANDLE group, HRESULT masterQuality,
                                           HRESULT masterError, DWORD count, OPCHANDLE* clientItems,
                                           VARIANT* values, WORD* qualities, FILETIME* times,
                                           HRESULT* errors) override;
  HRESULT STDMETHODCALLTYPE OnWriteComplete(DWORD transaction, OPCHANDLE group, HRESULT masterError, DWORD count,
                                            OPCHANDLE* clientItems, HRESULT* errors) override;
  HRESULT STDMETHODCALLTYPE OnCancelComplete(DWORD transaction, OPCHANDLE group) override;

 private:
  void Print(DWORD count, const OPCHANDLE* clientItems, const VARIANT* values, const WORD* qualities,
             const FILETIME* times, const HRESULT* errors);

  const ClientGroup& group_;
  ArrivalLog& log_;
};
