// IOPCServer: a Data Access client's entry point: server status, error texts,
// and the creation, lookup, removal and enumeration of its groups.
#pragma once

#include "platform/opcda.h"
#include "platform/unknown.h"

enum OPCSERVERSTATE {
  OPC_STATUS_RUNNING = 1,
  OPC_STATUS_FAILED = 2,
  OPC_STATUS_NOCONFIG = 3,
  OPC_STATUS_SUSPENDED = 4,
  OPC_STATUS_TEST = 5,
};

struct OPCSERVERSTATUS {
  FILETIME ftStartTime;
  FILETIME ftCurrentTime;
  FILETIME ftLastUpdateTime;
  OPCSERVERSTATE dwServerState;
  DWORD dwGroupCount;
  DWORD dwBandWidth;
  WORD wMajorVersion;
  WORD wMinorVersion;
  WORD wBuildNumber;
  WORD wReserved;
  LPWSTR szVendorInfo;
};

struct IOPCServer : public IUnknown {
  virtual HRESULT AddGroup(LPCWSTR szName, BOOL bActive, DWORD dwRequestedUpdateRate, OPCHANDLE hClientGroup,
                           LONG* pTimeBias, FLOAT* pPercentDeadband, DWORD dwLCID, OPCHANDLE* phServerGroup,
                           DWORD* pRevisedUpdateRate, REFIID riid, LPUNKNOWN* ppUnk) = 0;
  virtual HRESULT GetErrorString(HRESULT dwError, LCID dwLocale, LPWSTR* ppString) = 0;
  virtual HRESULT GetGroupByName(LPCWSTR szName, REFIID riid, LPUNKNOWN* ppUnk) = 0;
  virtual HRESULT GetStatus(OPCSERVERSTATUS** ppServerStatus) = 0;
  virtual HRESULT RemoveGroup(OPCHANDLE hServerGroup, BOOL bForce) = 0;
  virtual HRESULT CreateGroupEnumerator(OPCENUMSCOPE dwScope, REFIID riid, LPUNKNOWN* ppUnk) = 0;

 protected:
  ~IOPCServer() = default;
};
