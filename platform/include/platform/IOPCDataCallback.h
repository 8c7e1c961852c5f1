// IOPCDataCallback: the OPC Data Access 2.0 client sink through which a group
// delivers subscription data and the completions of asynchronous calls. Slots
// in the published order. The arrays are the caller's: the sink copies what it
// keeps.
#pragma once

#include "platform/opcda.h"
#include "platform/unknown.h"
#include "platform/variant.h"

struct IOPCDataCallback : public IUnknown {
  virtual HRESULT OnDataChange(DWORD dwTransid, OPCHANDLE hGroup, HRESULT hrMasterquality, HRESULT hrMastererror,
                               DWORD dwCount, OPCHANDLE* phClientItems, VARIANT* pvValues, WORD* pwQualities,
                               FILETIME* pftTimeStamps, HRESULT* pErrors) = 0;
  virtual HRESULT OnReadComplete(DWORD dwTransid, OPCHANDLE hGroup, HRESULT hrMasterquality, HRESULT hrMastererror,
                                 DWORD dwCount, OPCHANDLE* phClientItems, VARIANT* pvValues, WORD* pwQualities,
                                 FILETIME* pftTimeStamps, HRESULT* pErrors) = 0;
  virtual HRESULT OnWriteComplete(DWORD dwTransid, OPCHANDLE hGroup, HRESULT hrMastererr, DWORD dwCount,
                                  OPCHANDLE* pClienthandles, HRESULT* pErrors) = 0;
  virtual HRESULT OnCancelComplete(DWORD dwTransid, OPCHANDLE hGroup) = 0;

 protected:
  ~IOPCDataCallback() = default;
};
