#include "support/OpcTestGroup.h"

#include "platform/IConnectionPointContainer.h"
#include "platform/IEnumOPCItemAttributes.h"
#include "platform/opcguid.h"
#include "platform/taskmemory.h"
#include "platform/widetext.h"

namespace {

// The definitions of the items, pointing into `texts`.
std::vector<OPCITEMDEF> Definitions(const std::vector<TestItem>& items, std::vector<WideString>& texts) {
  texts.reserve(items.size() * 2);
  std::vector<OPCITEMDEF> definitions;
  for (const TestItem& item : items) {
    texts.push_back(WidenAnsi(item.accessPath));
    LPWSTR accessPath = texts.back().data();
    texts.push_back(WidenAnsi(item.itemId));
    definitions.push_back(
        OPCITEMDEF{accessPath, texts.back().data(), item.active, item.clientHandle, 0, nullptr, item.requestedType, 0});
  }
  return definitions;
}

ItemCall TakeItemCall(HRESULT hr, OPCITEMRESULT* results, HRESULT* errors, size_t count) {
  ItemCall call{hr, TakeErrors(errors, count), {}};
  if (results != nullptr) call.results.assign(results, results + count);
  CoTaskMemFree(results);
  return call;
}

}  // namespace

std::vector<HRESULT> TakeErrors(HRESULT* errors, size_t count) {
  std::vector<HRESULT> copy;
  if (errors != nullptr) copy.assign(errors, errors + count);
  CoTaskMemFree(errors);
  return copy;
}

OpcTestGroup::OpcTestGroup(IOPCServer* server, const char* name, Options options) {
  const WideString wideName = name != nullptr ? WidenAnsi(name) : WideString();
  added_ = server->AddGroup(name != nullptr ? wideName.c_str() : nullptr, options.active, options.rate,
                            options.clientHandle, options.timeBias, options.percentDeadband, options.localeId,
                            &serverHandle_, &revisedRate_, IID_IUnknown, &unknown_);
  if (FAILED(added_)) return;
  unknown_->QueryInterface(IID_IOPCItemMgt, reinterpret_cast<void**>(&items_));
  unknown_->QueryInterface(IID_IOPCGroupStateMgt, reinterpret_cast<void**>(&state_));
}

OpcTestGroup::~OpcTestGroup() { Release(); }

ULONG OpcTestGroup::Release() {
  ULONG last = 0;
  for (IUnknown* held : {static_cast<IUnknown*>(state_), static_cast<IUnknown*>(items_), unknown_}) {
    if (held != nullptr) last = held->Release();
  }
  state_ = nullptr;
  items_ = nullptr;
  unknown_ = nullptr;
  return last;
}

ItemCall OpcTestGroup::AddItems(const std::vector<TestItem>& items) {
  std::vector<WideString> texts;
  std::vector<OPCITEMDEF> definitions = Definitions(items, texts);
  OPCITEMRESULT* results = nullptr;
  HRESULT* errors = nullptr;
  const HRESULT hr = items_->AddItems(static_cast<DWORD>(items.size()), definitions.data(), &results, &errors);
  return TakeItemCall(hr, results, errors, items.size());
}

ItemCall OpcTestGroup::ValidateItems(const std::vector<TestItem>& items) {
  std::vector<WideString> texts;
  std::vector<OPCITEMDEF> definitions = Definitions(items, texts);
  OPCITEMRESULT* results = nullptr;
  HRESULT* errors = nullptr;
  const HRESULT hr =
      items_->ValidateItems(static_cast<DWORD>(items.size()), definitions.data(), FALSE, &results, &errors);
  return TakeItemCall(hr, results, errors, items.size());
}

ItemCall OpcTestGroup::RemoveItems(std::vector<OPCHANDLE> handles) {
  HRESULT* errors = nullptr;
  const HRESULT hr = items_->RemoveItems(static_cast<DWORD>(handles.size()), handles.data(), &errors);
  return ItemCall{hr, TakeErrors(errors, handles.size()), {}};
}

std::string OpcTestGroup::Name() const {
  DWORD rate = 0;
  BOOL active = FALSE;
  LPWSTR name = nullptr;
  LONG bias = 0;
  FLOAT deadband = 0;
  DWORD localeId = 0;
  OPCHANDLE clientHandle = 0;
  OPCHANDLE serverHandle = 0;
  if (FAILED(state_->GetState(&rate, &active, &name, &bias, &deadband, &localeId, &clientHandle, &serverHandle))) {
    return "<no state>";
  }
  std::string text = NarrowAnsi(name).value();
  CoTaskMemFree(name);
  return text;
}

IConnectionPoint* OpcTestGroup::DataCallbackPoint() const {
  IConnectionPointContainer* container = nullptr;
  if (unknown_ == nullptr ||
      unknown_->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container)) != S_OK) {
    return nullptr;
  }
  IConnectionPoint* point = nullptr;
  if (container->FindConnectionPoint(IID_IOPCDataCallback, &point) != S_OK) point = nullptr;
  container->Release();
  return point;
}

IConnectionPoint* OpcTestGroup::AdviseDataCallback(IOPCDataCallback* sink) const {
  IConnectionPoint* point = DataCallbackPoint();
  DWORD cookie = 0;
  if (point != nullptr && point->Advise(sink, &cookie) != S_OK) {
    point->Release();
    point = nullptr;
  }
  return point;
}

std::vector<OPCITEMATTRIBUTES> OpcTestGroup::ListItems() const {
  IUnknown* unknown = nullptr;
  if (items_->CreateEnumerator(IID_IEnumOPCItemAttributes, &unknown) != S_OK) return {};
  auto* enumerator = static_cast<IEnumOPCItemAttributes*>(unknown);
  std::vector<OPCITEMATTRIBUTES> listed;
  OPCITEMATTRIBUTES* element = nullptr;
  ULONG fetched = 0;
  while (enumerator->Next(1, &element, &fetched) == S_OK) {
    listed.push_back(*element);
    CoTaskMemFree(element->szAccessPath);
    CoTaskMemFree(element->szItemID);
    listed.back().szAccessPath = listed.back().szItemID = nullptr;
    CoTaskMemFree(element);
  }
  enumerator->Release();
  return listed;
}
