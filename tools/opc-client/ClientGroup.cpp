#include "ClientGroup.h"

#include "ValueFormat.h"

ClientGroup::~ClientGroup() {
  group_.Reset();
  if (serverGroup_ != 0) server_->RemoveGroup(serverGroup_, FALSE);
}

ClientFailure ClientGroup::Add(const Settings& settings) {
  FLOAT deadband = settings.deadbandPercent;
  const HRESULT result = server_->AddGroup(L"", settings.active, settings.rateMs, kGroupClientHandle, nullptr,
                                           &deadband, LOCALE_SYSTEM_DEFAULT, &serverGroup_, &revisedRate_,
                                           IID_IOPCItemMgt, group_.GetAddressOf());
  if (FAILED(result)) return ClientFailure::Of("IOPCServer::AddGroup", result);
  return ClientFailure::None();
}

ClientFailure ClientGroup::AddItems(const std::vector<std::wstring>& itemIds) {
  ComPtr<IOPCItemMgt> items = Query<IOPCItemMgt>(IID_IOPCItemMgt);
  if (!items) return ClientFailure::Of("IOPCItemMgt", E_NOINTERFACE);
  std::vector<OPCITEMDEF> definitions(itemIds.size());
  for (size_t i = 0; i < itemIds.size(); ++i) {
    definitions[i].szAccessPath = const_cast<LPWSTR>(L"");
    definitions[i].szItemID = const_cast<LPWSTR>(itemIds[i].c_str());
    definitions[i].bActive = TRUE;
    definitions[i].hClient = static_cast<OPCHANDLE>(itemIds_.size() + i);
    definitions[i].vtRequestedDataType = VT_EMPTY;
  }
  OPCITEMRESULT* results = nullptr;
  HRESULT* errors = nullptr;
  const HRESULT result =
      items->AddItems(static_cast<DWORD>(definitions.size()), definitions.data(), &results, &errors);
  if (FAILED(result)) return ClientFailure::Of("IOPCItemMgt::AddItems", result);
  ClientFailure failure;
  for (size_t i = 0; i < itemIds.size(); ++i) {
    if (FAILED(errors[i]) && !failure.Failed()) {
      failure = ClientFailure::Of("IOPCItemMgt::AddItems(" + ValueFormat::Utf8(itemIds[i].c_str()) + ")", errors[i]);
    }
    itemIds_.push_back(itemIds[i]);
    serverHandles_.push_back(SUCCEEDED(errors[i]) ? results[i].hServer : 0);
    canonicalTypes_.push_back(SUCCEEDED(errors[i]) ? results[i].vtCanonicalDataType : static_cast<VARTYPE>(VT_EMPTY));
    CoTaskMemFree(results[i].pBlob);
  }
  CoTaskMemFree(results);
  CoTaskMemFree(errors);
  return failure;
}

std::string ClientGroup::ItemName(OPCHANDLE clientHandle) const {
  return clientHandle < itemIds_.size() ? ValueFormat::Utf8(itemIds_[clientHandle].c_str()) : "?";
}
