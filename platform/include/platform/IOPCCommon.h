// IOPCCommon: the settings every OPC server shares: locale, error texts and
// the client's name.
#pragma once

#include "platform/unknown.h"

struct IOPCCommon : public IUnknown {
  virtual HRESULT SetLocaleID(LCID dwLcid) = 0;
  virtual HRESULT GetLocaleID(LCID* pdwLcid) = 0;
  virtual HRESULT QueryAvailableLocaleIDs(DWORD* pdwCount, LCID** pdwLcid) = 0;
  virtual HRESULT GetErrorString(HRESULT dwError, LPWSTR* ppString) = 0;
  virtual HRESULT SetClientName(LPCWSTR szName) = 0;

 protected:
  ~IOPCCommon() = default;
};
