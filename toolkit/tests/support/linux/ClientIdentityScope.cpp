#include "platform/callcontext.h"
#include "support/OpcTestClient.h"

ClientIdentityScope::ClientIdentityScope(const ClientCallContext* identity) {
  if (identity != nullptr) scope_ = std::make_shared<ScopedCallContext>(*identity);
}

ClientIdentityScope::~ClientIdentityScope() = default;

void OpcTestClient::SetIdentity(const ClientCallContext& identity) {
  identity_ = std::make_shared<const ClientCallContext>(identity);
}
