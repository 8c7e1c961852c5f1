// The client a thread is serving a call for, in place of COM's client
// impersonation: whoever dispatches a call into a server object in this process
// (the in-process COM dispatch, or a test acting as a client) sets the caller's
// identity for the duration of the call with ScopedCallContext. Outside a call,
// the Co* functions below fail as they do outside a COM call.
#pragma once

#include "platform/hresult.h"
#include "platform/wintypes.h"

#include <string>
#include <vector>

constexpr DWORD RPC_C_IMP_LEVEL_DEFAULT = 0;
constexpr DWORD RPC_C_IMP_LEVEL_ANONYMOUS = 1;
constexpr DWORD RPC_C_IMP_LEVEL_IDENTIFY = 2;
constexpr DWORD RPC_C_IMP_LEVEL_IMPERSONATE = 3;
constexpr DWORD RPC_C_IMP_LEVEL_DELEGATE = 4;

constexpr DWORD RPC_C_AUTHN_WINNT = 10;
constexpr DWORD RPC_C_AUTHZ_NONE = 0;
constexpr DWORD RPC_C_AUTHN_LEVEL_CONNECT = 2;
constexpr DWORD EOAC_NONE = 0;
typedef void* RPC_AUTHZ_HANDLE;

constexpr DWORD TOKEN_QUERY = 0x0008;

struct ClientCallContext {
  std::string userName;
  std::vector<std::string> groupNames;
  DWORD impersonationLevel = RPC_C_IMP_LEVEL_IMPERSONATE;
  // FALSE for a client whose token cannot be opened.
  bool tokenAvailable = true;
};

// Makes the calling thread serve a call of the given client until it goes out
// of scope. The thread starts the call not impersonating; at the end the
// previous context (of an outer call, or none) and its impersonation come back,
// as COM ends an impersonation that a call left running.
class ScopedCallContext {
 public:
  explicit ScopedCallContext(ClientCallContext context);
  ~ScopedCallContext();
  ScopedCallContext(const ScopedCallContext&) = delete;
  ScopedCallContext& operator=(const ScopedCallContext&) = delete;

 private:
  ClientCallContext context_;
  const ClientCallContext* outerContext_;
  bool outerImpersonating_;
};

// RPC_E_CALL_COMPLETE outside a call.
HRESULT CoImpersonateClient();
HRESULT CoRevertToSelf();
// Gives the caller's impersonation level and fixed answers for the rest
// (NTLM-style authentication at connect level, no principal names, no
// capabilities). Any out pointer may be NULL.
HRESULT CoQueryClientBlanket(DWORD* authnService, DWORD* authzService, OLECHAR** serverPrincipalName,
                             DWORD* authnLevel, DWORD* impersonationLevel, RPC_AUTHZ_HANDLE* privileges,
                             DWORD* capabilities);
// Whether this thread is impersonating the client of its call.
bool IsImpersonatingClient();

// The current thread's token while it impersonates a client that has one;
// otherwise FALSE with ERROR_NO_TOKEN. The thread must be given as
// GetCurrentThread(); any other handle gives ERROR_INVALID_HANDLE. The token
// holds the client's user and groups as they were when it was opened, and
// "Everyone"; CloseHandle closes it.
BOOL OpenThreadToken(HANDLE thread, DWORD desiredAccess, BOOL openAsSelf, PHANDLE token);
// Tokens opened and not yet closed, so tests can show that none leaks.
size_t OpenTokenCount();
