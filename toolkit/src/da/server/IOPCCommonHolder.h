// The server's IOPCCommon. The server speaks only the system default locale;
// the client's name shows in the traces of its server object.
#pragma once

#include "com/InterfaceHolder.h"

#include "platform/IOPCCommon.h"

class OPCServer;

class IOPCCommonHolder final : public InterfaceHolder<IOPCCommon, OPCServer> {
 public:
  explicit IOPCCommonHolder(OPCServer& owner);

  // S_OK for the system default locale, E_INVALIDARG for any other; nothing is stored.
  HRESULT SetLocaleID(LCID dwLcid) override;
  HRESULT GetLocaleID(LCID* pdwLcid) override;
  // The one locale, in a task-memory array.
  HRESULT QueryAvailableLocaleIDs(DWORD* pdwCount, LCID** pdwLcid) override;
  HRESULT GetErrorString(HRESULT dwError, LPWSTR* ppString) override;
  // Traces "SetClientName <name>".
  HRESULT SetClientName(LPCWSTR szName) override;
};
