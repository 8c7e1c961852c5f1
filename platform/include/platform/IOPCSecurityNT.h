// IOPCSecurityNT: whether the server checks NT access rights, and a client's
// request to have its items' rights checked again for its current identity.
// Slots in the published order.
#pragma once

#include "platform/unknown.h"

struct IOPCSecurityNT : public IUnknown {
  virtual HRESULT IsAvailableNT(BOOL* pbAvailable) = 0;
  virtual HRESULT QueryMinImpersonationLevel(DWORD* pdwMinImpLevel) = 0;
  virtual HRESULT ChangeUser() = 0;

 protected:
  ~IOPCSecurityNT() = default;
};
