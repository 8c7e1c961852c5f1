#include "CVorlixApp.h"

#include "ItemName.h"
#include "OPCErrorText.h"

namespace {

constexpr char kDefaultVendorInfo[] = "Vorlix OPC Server Toolkit";
constexpr DWORD kServerStateRunning = 1;

}  // namespace

CVorlixApp::CVorlixApp() { InitInstance(); }

CVorlixApp::~CVorlixApp() = default;

void CVorlixApp::InitInstance() {
  delimiter_ = '.';
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
  if (delimiter != '\0') delimiter_ = delimiter;
  return delimiter_;
}

std::string CVorlixApp::MakeFullName(const std::string& accessPath, const std::string& itemId) const {
  return MakeFullItemName(accessPath, itemId, Delimiter());
}

int CVorlixApp::SplitName(const std::string& name, std::vector<std::string>& components) const {
  components = SplitItemName(name, Delimiter());
  return static_cast<int>(components.size());
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
