// IOPCGroupStateMgt: reads and changes the state of a group, and clones it.
#pragma once

#include "platform/opcda.h"
#include "platform/unknown.h"

struct IOPCGroupStateMgt : public IUnknown {
  virtual HRESULT GetState(DWORD* pUpdateRate, BOOL* pActive, LPWSTR* ppName, LONG* pTimeBias,
                           FLOAT* pPercentDeadband, DWORD* pLCID, OPCHANDLE* phClientGroup,
                           OPCHANDLE* phServerGroup) = 0;
  virtual HRESULT SetState(DWORD* pRequestedUpdateRate, DWORD* pRevisedUpdateRate, BOOL* pActive, LONG* pTimeBias,
                           FLOAT* pPercentDeadband, DWORD* pLCID, OPCHANDLE* phClientGroup) = 0;
  virtual HRESULT SetName(LPCWSTR szName) = 0;
  virtual HRESULT CloneGroup(LPCWSTR szName, REFIID riid, LPUNKNOWN* ppUnk) = 0;

 protected:
  ~IOPCGroupStateMgt() = default;
};
