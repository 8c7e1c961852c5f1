// The group's IOPCGroupStateMgt: reads and changes the group's state and
// clones it. Every method first traces "IOPCGroupStateMgt::<method>"; on a
// group removed by force every method answers E_FAIL.
#pragma once

#include "com/InterfaceHolder.h"

#include "platform/IOPCGroupStateMgt.h"

class OPCGroup;

class IOPCGroupStateMgtHolder final : public InterfaceHolder<IOPCGroupStateMgt, OPCGroup> {
 public:
  explicit IOPCGroupStateMgtHolder(OPCGroup& owner);

  // Every output is required; the name is a task-memory copy.
  HRESULT GetState(DWORD* pUpdateRate, BOOL* pActive, LPWSTR* ppName, LONG* pTimeBias, FLOAT* pPercentDeadband,
                   DWORD* pLCID, OPCHANDLE* phClientGroup, OPCHANDLE* phServerGroup) override;
  // Changes what is given (a NULL input leaves its value): a requested rate is
  // revised to the base rate (OPC_S_UNSUPPORTEDRATE below it, the other
  // values still set); the revised-rate output, when given, receives the
  // group's rate. Nothing is sent to the client by itself.
  HRESULT SetState(DWORD* pRequestedUpdateRate, DWORD* pRevisedUpdateRate, BOOL* pActive, LONG* pTimeBias,
                   FLOAT* pPercentDeadband, DWORD* pLCID, OPCHANDLE* phClientGroup) override;
  // OPC_E_DUPLICATENAME when a group of the server, this one included,
  // carries the name already.
  HRESULT SetName(LPCWSTR szName) override;
  // A new, inactive group of the same server under the name, with this
  // group's state and copies of its items (new server handles, same client
  // handles). E_FAIL once the server has let go of this group.
  HRESULT CloneGroup(LPCWSTR szName, REFIID riid, LPUNKNOWN* ppUnk) override;
};
