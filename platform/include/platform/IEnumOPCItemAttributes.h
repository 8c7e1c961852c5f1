// IEnumOPCItemAttributes: walks the items of a group. Unlike the standard
// enumerators, Next hands out an array it allocates itself (task memory, with
// the strings of every element in task memory too).
#pragma once

#include "platform/opcda.h"
#include "platform/unknown.h"
#include "platform/variant.h"

struct OPCITEMATTRIBUTES {
  LPWSTR szAccessPath;
  LPWSTR szItemID;
  BOOL bActive;
  OPCHANDLE hClient;
  OPCHANDLE hServer;
  DWORD dwAccessRights;
  DWORD dwBlobSize;
  BYTE* pBlob;
  VARTYPE vtRequestedDataType;
  VARTYPE vtCanonicalDataType;
  OPCEUTYPE dwEUType;
  VARIANT vEUInfo;
};

struct IEnumOPCItemAttributes : public IUnknown {
  virtual HRESULT Next(ULONG celt, OPCITEMATTRIBUTES** ppItemArray, ULONG* pceltFetched) = 0;
  virtual HRESULT Skip(ULONG celt) = 0;
  virtual HRESULT Reset() = 0;
  virtual HRESULT Clone(IEnumOPCItemAttributes** ppEnumItemAttributes) = 0;

 protected:
  ~IEnumOPCItemAttributes() = default;
};
