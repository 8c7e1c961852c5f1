#include "support/OpcTestClient.h"

// No test of this flavour sets an identity (OpcTestClient::SetIdentity is the
// stand-in's): its calls run as the process's own user.
ClientIdentityScope::ClientIdentityScope(const ClientCallContext*) {}

ClientIdentityScope::~ClientIdentityScope() = default;
