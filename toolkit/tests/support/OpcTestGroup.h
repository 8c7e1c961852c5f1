// A group as a test client sees it: added through IOPCServer::AddGroup, with
// its item-management and state interfaces, which it releases when it goes
// (or at Release). Its calls copy the per-item results out of task memory and
// free it, as a client would. Make, use and destroy it on one thread.
#pragma once

#include "platform/IConnectionPoint.h"
#include "platform/IEnumOPCItemAttributes.h"
#include "platform/IOPCDataCallback.h"
#include "platform/IOPCGroupStateMgt.h"
#include "platform/IOPCItemMgt.h"
#include "platform/IOPCServer.h"
#include "platform/variant.h"

#include <string>
#include <vector>

// One item as a client defines it.
struct TestItem {
  std::string itemId;
  std::string accessPath = "";
  OPCHANDLE clientHandle = 0;
  VARTYPE requestedType = VT_EMPTY;
  BOOL active = TRUE;
};

// What a per-item call gave: the call's result, each item's error and, for
// AddItems and ValidateItems, each item's result.
struct ItemCall {
  HRESULT hr;
  std::vector<HRESULT> errors;
  std::vector<OPCITEMRESULT> results;
};

class OpcTestGroup {
 public:
  struct Options {
    DWORD rate = 100;
    BOOL active = TRUE;
    OPCHANDLE clientHandle = 0;
    LONG* timeBias = nullptr;
    FLOAT* percentDeadband = nullptr;
    DWORD localeId = 0;
  };
  // AddGroup under `name` (NULL for none); see Added() for how it went.
  OpcTestGroup(IOPCServer* server, const char* name, Options options);
  OpcTestGroup(IOPCServer* server, const char* name) : OpcTestGroup(server, name, Options()) {}
  ~OpcTestGroup();
  OpcTestGroup(const OpcTestGroup&) = delete;
  OpcTestGroup& operator=(const OpcTestGroup&) = delete;

  HRESULT Added() const { return added_; }
  OPCHANDLE ServerHandle() const { return serverHandle_; }
  DWORD RevisedRate() const { return revisedRate_; }
  IUnknown* Unknown() const { return unknown_; }
  IOPCItemMgt* Items() const { return items_; }
  IOPCGroupStateMgt* State() const { return state_; }

  ItemCall AddItems(const std::vector<TestItem>& items);
  ItemCall ValidateItems(const std::vector<TestItem>& items);
  ItemCall RemoveItems(std::vector<OPCHANDLE> handles);
  // The group's name as GetState reports it.
  std::string Name() const;
  // The items as the group's enumerator lists them (without their names,
  // which are freed).
  std::vector<OPCITEMATTRIBUTES> ListItems() const;
  // The group's IOPCDataCallback connection point, AddRef'd for the caller;
  // NULL when it cannot be had.
  IConnectionPoint* DataCallbackPoint() const;
  // That point with `sink` advised on it (the caller releases the point), or
  // NULL when either step failed.
  IConnectionPoint* AdviseDataCallback(IOPCDataCallback* sink) const;

  // Releases every interface now; what the last Release returned.
  ULONG Release();

 private:
  HRESULT added_;
  OPCHANDLE serverHandle_ = 0;
  DWORD revisedRate_ = 0;
  IUnknown* unknown_ = nullptr;
  IOPCItemMgt* items_ = nullptr;
  IOPCGroupStateMgt* state_ = nullptr;
};

// Copies a per-item error array out of task memory and frees it.
std::vector<HRESULT> TakeErrors(HRESULT* errors, size_t count);
