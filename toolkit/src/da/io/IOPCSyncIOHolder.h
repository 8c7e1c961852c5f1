// The group's IOPCSyncIO: reads items from the group's cache or, through the
// host's device-read callback, from the device, and writes values through the
// host's write callback, returning when done. Every method first traces
// "IOPCSyncIO::<method>"; on a group removed by force both answer E_FAIL.
// Items are looked up and checked under the server lock; the host's
// callbacks run with it released, on the calling thread.
#pragma once

#include "com/InterfaceHolder.h"

#include "platform/IOPCSyncIO.h"

class OPCGroup;

class IOPCSyncIOHolder final : public InterfaceHolder<IOPCSyncIO, OPCGroup> {
 public:
  explicit IOPCSyncIOHolder(OPCGroup& owner);

  // Per item: from the cache, its cached read (out of service quality while
  // the group or the item is inactive); from the device, when the host reads
  // devices, what the host answers, converted to the requested type, whatever
  // the active flags (the read right is checked first; an item whose tag is
  // gone gets OPC_E_INVALIDHANDLE and bad quality, without asking the host).
  HRESULT Read(OPCDATASOURCE dwSource, DWORD dwCount, OPCHANDLE* phServer, OPCITEMSTATE** ppItemValues,
               HRESULT** ppErrors) override;
  // Per item: the item's write check on a copy of the client's value (the
  // caller's array is left as it is), then the host's answer. A value the
  // host refuses leaves the item's cache as it was before the write.
  HRESULT Write(DWORD dwCount, OPCHANDLE* phServer, VARIANT* pItemValues, HRESULT** ppErrors) override;

 private:
  HRESULT ReadFromCache(OPCHANDLE serverHandle, OPCITEMSTATE& state) const;
  HRESULT ReadFromDevice(READDEVICEPROC deviceRead, OPCHANDLE serverHandle, OPCITEMSTATE& state) const;
};
