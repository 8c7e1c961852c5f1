// The server's IOPCSecurityNT holder: tells a client whether tags are guarded
// by NT access rights, and has the client's items' rights checked again for
// the identity it calls with now.
#pragma once

#include "com/InterfaceHolder.h"

#include "platform/IOPCSecurityNT.h"

class OPCServer;

class IOPCSecurityNTHolder final : public InterfaceHolder<IOPCSecurityNT, OPCServer> {
 public:
  explicit IOPCSecurityNTHolder(OPCServer& server);

  HRESULT IsAvailableNT(BOOL* pbAvailable) override;
  HRESULT QueryMinImpersonationLevel(DWORD* pdwMinImpLevel) override;
  // Every item of the client's groups gets its access rights again for the
  // calling client. A client that allows less than the minimum impersonation
  // level is refused and its items keep their rights; so is a caller outside
  // a client call, with the failure of the impersonation. The thread does not
  // stay impersonating.
  HRESULT ChangeUser() override;
};
