// The server's IOPCServer: its status, error texts, and the client's groups,
// which it creates, finds, removes and enumerates. Every method first traces
// "IOPCServer::<method>".
#pragma once

#include "com/InterfaceHolder.h"

#include "platform/IOPCServer.h"

class OPCServer;

class IOPCServerHolder final : public InterfaceHolder<IOPCServer, OPCServer> {
 public:
  explicit IOPCServerHolder(OPCServer& owner);

  // A new group under the given name (the first free default name for a NULL
  // or empty one): its update rate is the request revised to the base rate
  // (OPC_S_UNSUPPORTEDRATE for a request below it), the time bias the local
  // zone's when none is given, the deadband 0 when none is given.
  HRESULT AddGroup(LPCWSTR szName, BOOL bActive, DWORD dwRequestedUpdateRate, OPCHANDLE hClientGroup,
                   LONG* pTimeBias, FLOAT* pPercentDeadband, DWORD dwLCID, OPCHANDLE* phServerGroup,
                   DWORD* pRevisedUpdateRate, REFIID riid, LPUNKNOWN* ppUnk) override;
  // The locale is ignored.
  HRESULT GetErrorString(HRESULT dwError, LCID dwLocale, LPWSTR* ppString) override;
  // E_INVALIDARG when no group carries the name.
  HRESULT GetGroupByName(LPCWSTR szName, REFIID riid, LPUNKNOWN* ppUnk) override;
  HRESULT GetStatus(OPCSERVERSTATUS** ppServerStatus) override;
  // E_FAIL for a handle no group of the server has. A group a client still
  // holds is unlisted and lives until its last Release: without force the
  // answer is OPC_S_INUSE; with force it is also made inert at once.
  HRESULT RemoveGroup(OPCHANDLE hServerGroup, BOOL bForce) override;
  // IEnumUnknown over the groups or IEnumString over their names; both empty
  // for the public scopes.
  HRESULT CreateGroupEnumerator(OPCENUMSCOPE dwScope, REFIID riid, LPUNKNOWN* ppUnk) override;
};
