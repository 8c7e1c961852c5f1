// IOPCSyncIO: reads items of a group from the group's cache or from the
// device, and writes values to items, returning when done. The per-item
// states and errors are arrays from the task allocator that the caller frees
// (and the values in the states with them).
#pragma once

#include "platform/opcda.h"
#include "platform/unknown.h"
#include "platform/variant.h"

struct OPCITEMSTATE {
  OPCHANDLE hClient;
  FILETIME ftTimeStamp;
  WORD wQuality;
  WORD wReserved;
  VARIANT vDataValue;
};

struct IOPCSyncIO : public IUnknown {
  virtual HRESULT Read(OPCDATASOURCE dwSource, DWORD dwCount, OPCHANDLE* phServer, OPCITEMSTATE** ppItemValues,
                       HRESULT** ppErrors) = 0;
  virtual HRESULT Write(DWORD dwCount, OPCHANDLE* phServer, VARIANT* pItemValues, HRESULT** ppErrors) = 0;

 protected:
  ~IOPCSyncIO() = default;
};
