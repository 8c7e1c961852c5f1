// A private group of the client with its items. Client handle i names the
// i-th item; the group goes again when the object does.
#pragma once

#include "ClientFailure.h"

#include <OpcInterfaces.h>
#include <wrl/client.h>

#include <string>
#include <vector>

using Microsoft::WRL::ComPtr;

class ClientGroup {
 public:
  struct Settings {
    bool active = true;
    DWORD rateMs = 1000;
    float deadbandPercent = 0;
  };
  static constexpr OPCHANDLE kGroupClientHandle = 1;

  explicit ClientGroup(IOPCServer* server) : server_(server) {}
  ~ClientGroup();
  ClientGroup(const ClientGroup&) = delete;
  ClientGroup& operator=(const ClientGroup&) = delete;

  ClientFailure Add(const Settings& settings);
  // Adds the items; an item the server refuses fails with its own error and
  // the item in the call's name.
  ClientFailure AddItems(const std::vector<std::wstring>& itemIds);

  template <typename Interface>
  ComPtr<Interface> Query(REFIID iid) const {
    ComPtr<Interface> result;
    if (group_) group_->QueryInterface(iid, reinterpret_cast<void**>(result.GetAddressOf()));
    return result;
  }

  const std::vector<OPCHANDLE>& ServerHandles() const { return serverHandles_; }
  const std::vector<VARTYPE>& CanonicalTypes() const { return canonicalTypes_; }
  // The item a client handle names, UTF-8; "?" for a handle of no item.
  std::string ItemName(OPCHANDLE clientHandle) const;
  DWORD RevisedRate() const { return revisedRate_; }

 private:
  IOPCServer* server_;
  ComPtr<IUnknown> group_;
  OPCHANDLE serverGroup_ = 0;
  DWORD revisedRate_ = 0;
  std::vector<std::wstring> itemIds_;
  std::vector<OPCHANDLE> serverHandles_;
  std::vector<VARTYPE> canonicalTypes_;
};
