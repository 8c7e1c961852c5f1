#include "security/NTSecurity.h"

#include "platform/callcontext.h"
#include "platform/kernelobject.h"
#include "platform/threads.h"

#include <algorithm>

void NTSecurity::Enable(bool enable, DWORD minImpersonationLevel) {
  enabled_ = enable;
  minImpersonationLevel_ = minImpersonationLevel;
}

DWORD NTSecurity::DefineUser(const std::string& recordName, const std::string& accountName, DWORD access) {
  const DWORD level = (access & 0xFFFF) != 0 ? access : access >> 16;
  const auto same = std::find_if(records_.begin(), records_.end(), [&](const std::unique_ptr<NTUserRecord>& record) {
    return record->Name() == recordName && record->AccountName() == accountName;
  });
  if (same != records_.end()) records_.erase(same);
  records_.push_back(std::make_unique<NTUserRecord>(recordName, accountName, level));
  return records_.back()->BuildDescriptor();
}

bool NTSecurity::CheckAccess(DWORD accessWord, std::string* accountName) const {
  DWORD desired = accessWord >> 16;
  MapGenericMask(&desired, &NTUserRecord::kLevelMapping);
  if (desired == 0 || FAILED(CoImpersonateClient())) return false;

  const NTUserRecord* granting = nullptr;
  DWORD level = RPC_C_IMP_LEVEL_DEFAULT;
  HANDLE token = nullptr;
  if (SUCCEEDED(CoQueryClientBlanket(nullptr, nullptr, nullptr, nullptr, &level, nullptr, nullptr)) &&
      level >= minImpersonationLevel_ && OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, FALSE, &token)) {
    for (const std::unique_ptr<NTUserRecord>& record : records_) {
      if (record->Grants(token, desired)) {
        granting = record.get();
        break;
      }
    }
    CloseHandle(token);
  }
  CoRevertToSelf();
  if (granting != nullptr && accountName != nullptr) *accountName = granting->AccountName();
  return granting != nullptr;
}
