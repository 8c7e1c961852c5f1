// IOPCItemMgt: adds, checks, removes and changes the items of a group. The
// per-item results and errors are arrays from the task allocator that the
// caller frees.
#pragma once

#include "platform/opcda.h"
#include "platform/unknown.h"

struct IOPCItemMgt : public IUnknown {
  virtual HRESULT AddItems(DWORD dwCount, OPCITEMDEF* pItemArray, OPCITEMRESULT** ppAddResults,
                           HRESULT** ppErrors) = 0;
  virtual HRESULT ValidateItems(DWORD dwCount, OPCITEMDEF* pItemArray, BOOL bBlobUpdate,
                                OPCITEMRESULT** ppValidationResults, HRESULT** ppErrors) = 0;
  virtual HRESULT RemoveItems(DWORD dwCount, OPCHANDLE* phServer, HRESULT** ppErrors) = 0;
  virtual HRESULT SetActiveState(DWORD dwCount, OPCHANDLE* phServer, BOOL bActive, HRESULT** ppErrors) = 0;
  virtual HRESULT SetClientHandles(DWORD dwCount, OPCHANDLE* phServer, OPCHANDLE* phClient, HRESULT** ppErrors) = 0;
  virtual HRESULT SetDatatypes(DWORD dwCount, OPCHANDLE* phServer, VARTYPE* pRequestedDatatypes,
                               HRESULT** ppErrors) = 0;
  virtual HRESULT CreateEnumerator(REFIID riid, LPUNKNOWN* ppUnk) = 0;

 protected:
  ~IOPCItemMgt() = default;
};
