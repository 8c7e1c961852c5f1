#include "CVorlixApp.h"

#include "ItemName.h"
#include "OPCErrorText.h"
#include "OPCServer.h"

#include "platform/widetext.h"

#include <cassert>
#include <vector>

namespace {

constexpr char kDefaultVendorInfo[] = "Vorlix OPC Server Toolkit";
constexpr DWORD kServerStateRunning = 1;

// OPC_E_BADTYPE unless the value converts to the requested type (VT_EMPTY asks for the canonical one).
HRESULT CheckRequestedType(const VARIANT& value, VARTYPE requested) {
  if (requested == VT_EMPTY || requested == value.vt) return S_OK;
  VARIANT converted;
  VariantInit(&converted);
  const HRESULT hr = VariantChangeType(&converted, &value, 0, requested);
  VariantClear(&converted);
  return SUCCEEDED(hr) ? S_OK : OPC_E_BADTYPE;
}

}  // namespace

CVorlixApp::CVorlixApp() { InitInstance(); }

CVorlixApp::~CVorlixApp() = default;

void CVorlixApp::InitInstance() {
  tags_.SetDelimiter('.');
  vendorInfo_ = kDefaultVendorInfo;
  serverState_ = kServerStateRunning;
}

std::string CVorlixApp::GetErrorText(HRESULT code) const { return OPCErrorText(code); }

std::string CVorlixApp::VendorInfo() {
  ServerLock::Hold hold(serverLock_);
  return vendorInfo_;
}

void CVorlixApp::SetVendorInfo(const char* vendor) {
  if (vendor == nullptr) return;
  ServerLock::Hold hold(serverLock_);
  vendorInfo_ = vendor;
}

char CVorlixApp::SetDelimiter(char delimiter) {
  if (delimiter != '\0') tags_.SetDelimiter(delimiter);
  return Delimiter();
}

std::string CVorlixApp::MakeFullName(const std::string& accessPath, const std::string& itemId) const {
  return MakeFullItemName(accessPath, itemId, Delimiter());
}

int CVorlixApp::SplitName(const std::string& name, std::vector<std::string>& components) const {
  components = SplitItemName(name, Delimiter());
  return static_cast<int>(components.size());
}

DWORD CVorlixApp::CreateTag(const char* fullName, const VARIANT* value, WORD quality, DWORD readAccess,
                            DWORD writeAccess) {
  if (fullName == nullptr || value == nullptr) return VORLIX_INVALID_TAG;
  ServerLock::Hold hold(serverLock_);
  return tags_.CreateTag(fullName, *value, quality, readAccess, writeAccess, CountTagItems(fullName));
}

BOOL CVorlixApp::RemoveTag(DWORD handle) {
  ServerLock::Hold hold(serverLock_);
  OPCTag* tag = tags_.TagFromHandle(handle);
  if (tag == nullptr) return FALSE;
  tags_.RemoveNode(tag);
  return TRUE;
}

BOOL CVorlixApp::SuspendTag(DWORD handle, BOOL suspend) {
  ServerLock::Hold hold(serverLock_);
  OPCTag* tag = tags_.TagFromHandle(handle);
  if (tag == nullptr) return FALSE;
  tag->visible = suspend ? FALSE : TRUE;
  return TRUE;
}

HRESULT CVorlixApp::ValidateItem(const OPCITEMDEF& item, OPCITEMRESULT* result, OPCTag** tagOut,
                                 DWORD* accessRights) {
  const std::string accessPath = NarrowLatin1(item.szAccessPath);
  const std::string itemId = NarrowLatin1(item.szItemID);
  if (itemId.empty()) return OPC_E_INVALIDITEMID;

  Lock();
  OPCTag* tag = FindVisibleTag(accessPath, itemId);
  if (tag == nullptr) {
    Unlock();
    if (!NotifyUnknownItem(accessPath, itemId)) return OPC_E_UNKNOWNITEMID;
    Lock();
    tag = FindVisibleTag(accessPath, itemId);
    if (tag == nullptr) {
      Unlock();
      return OPC_E_UNKNOWNITEMID;
    }
  }
  if (tagOut != nullptr) *tagOut = tag;
  const HRESULT hr = CheckRequestedType(tag->value, item.vtRequestedDataType);
  if (SUCCEEDED(hr)) {
    const DWORD rights = ClientAccessRights(*tag);
    if (result != nullptr) *result = OPCITEMRESULT{0, tag->value.vt, 0, rights, 0, nullptr};
    if (accessRights != nullptr) *accessRights = rights;
  }
  Unlock();
  return hr;
}

OPCTag* CVorlixApp::FindVisibleTag(const std::string& accessPath, const std::string& itemId) const {
  OPCTag* tag = tags_.FindTag(accessPath, itemId);
  return tag != nullptr && tag->visible ? tag : nullptr;
}

bool CVorlixApp::NotifyUnknownItem(const std::string& accessPath, const std::string& itemId) {
  const UNKNOWNITEMPROC proc = unknownItemProc_.Get();
  if (proc == nullptr) return false;
  assert(!serverLock_.HeldByCurrentThread());
  // The host gets writable copies of its own.
  std::vector<char> pathCopy(accessPath.c_str(), accessPath.c_str() + accessPath.size() + 1);
  std::vector<char> itemCopy(itemId.c_str(), itemId.c_str() + itemId.size() + 1);
  proc(pathCopy.data(), itemCopy.data());
  return true;
}

UINT CVorlixApp::SetHashing(UINT request) {
  ServerLock::Hold hold(serverLock_);
  return tags_.SetHashing(request);
}

int CVorlixApp::CountTagItems(const std::string& tagName) {
  ServerLock::Hold hold(serverLock_);
  int items = 0;
  for (const OPCServer* client : clients_) items += client->CountTagItems(tagName);
  return items;
}

DWORD CVorlixApp::FastestItemRate(const OPCTag& tag) {
  ServerLock::Hold hold(serverLock_);
  DWORD fastest = 0;
  for (const OPCServer* client : clients_) {
    const DWORD rate = client->FastestTagRate(tag);
    if (rate != 0 && (fastest == 0 || rate < fastest)) fastest = rate;
  }
  return fastest;
}

CVorlixApp& VorlixApp() {
  // Function-local, so that it is built before first use whatever the order of
  // static initialisation, and destroyed after everything built later.
  static CVorlixApp app;
  return app;
}

namespace {
// Builds the application object when the library is loaded.
[[maybe_unused]] const bool builtAtLoad = (VorlixApp(), true);
}  // namespace
