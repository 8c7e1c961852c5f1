#include "platform/callcontext.h"

#include "platform/lasterror.h"
#include "platform/threads.h"
#include "security/accesstoken.h"

namespace {
thread_local const ClientCallContext* currentContext = nullptr;
thread_local bool impersonating = false;
}  // namespace

ScopedCallContext::ScopedCallContext(ClientCallContext context)
    : context_(std::move(context)), outerContext_(currentContext), outerImpersonating_(impersonating) {
  currentContext = &context_;
  impersonating = false;
}

ScopedCallContext::~ScopedCallContext() {
  currentContext = outerContext_;
  impersonating = outerImpersonating_;
}

HRESULT CoImpersonateClient() {
  if (currentContext == nullptr) return RPC_E_CALL_COMPLETE;
  impersonating = true;
  return S_OK;
}

HRESULT CoRevertToSelf() {
  if (currentContext == nullptr) return RPC_E_CALL_COMPLETE;
  impersonating = false;
  return S_OK;
}

HRESULT CoQueryClientBlanket(DWORD* authnService, DWORD* authzService, OLECHAR** serverPrincipalName,
                             DWORD* authnLevel, DWORD* impersonationLevel, RPC_AUTHZ_HANDLE* privileges,
                             DWORD* capabilities) {
  if (currentContext == nullptr) return RPC_E_CALL_COMPLETE;
  if (authnService != nullptr) *authnService = RPC_C_AUTHN_WINNT;
  if (authzService != nullptr) *authzService = RPC_C_AUTHZ_NONE;
  if (serverPrincipalName != nullptr) *serverPrincipalName = nullptr;
  if (authnLevel != nullptr) *authnLevel = RPC_C_AUTHN_LEVEL_CONNECT;
  if (impersonationLevel != nullptr) *impersonationLevel = currentContext->impersonationLevel;
  if (privileges != nullptr) *privileges = nullptr;
  if (capabilities != nullptr) *capabilities = EOAC_NONE;
  return S_OK;
}

bool IsImpersonatingClient() { return impersonating; }

BOOL OpenThreadToken(HANDLE thread, DWORD, BOOL, PHANDLE token) {
  DWORD error = ERROR_SUCCESS;
  if (thread != GetCurrentThread()) {
    error = ERROR_INVALID_HANDLE;
  } else if (token == nullptr) {
    error = ERROR_INVALID_PARAMETER;
  } else if (!impersonating || !currentContext->tokenAvailable) {
    error = ERROR_NO_TOKEN;
  }
  if (error != ERROR_SUCCESS) {
    SetLastError(error);
    return FALSE;
  }
  *token = (new AccessToken(currentContext->userName, currentContext->groupNames))->NewHandle();
  return TRUE;
}

size_t OpenTokenCount() { return AccessToken::LiveCount(); }
