// The group's IOPCItemMgt: adds, checks, removes and changes client items,
// and hands out an enumerator over them. Every method first traces
// "IOPCItemMgt::<method>"; on a group removed by force every method answers
// E_FAIL. The per-item methods give each item its own error in a task-memory
// array and answer S_FALSE when any item failed.
#pragma once

#include "app/TaskArray.h"
#include "com/InterfaceHolder.h"

#include "platform/IOPCItemMgt.h"

class ItemHostNotices;
class OPCGroup;
class OPCTag;
class OPCGroupItem;

class IOPCItemMgtHolder final : public InterfaceHolder<IOPCItemMgt, OPCGroup> {
 public:
  explicit IOPCItemMgtHolder(OPCGroup& owner);

  // Each definition is resolved against the tag tree (the host may create an
  // unknown tag on the way); a valid one becomes an item at the group's rate,
  // holding a copy of the tag's value. The host hears of a tag's new fastest
  // client rate. No blobs are returned.
  HRESULT AddItems(DWORD dwCount, OPCITEMDEF* pItemArray, OPCITEMRESULT** ppAddResults, HRESULT** ppErrors) override;
  // As AddItems, but nothing is created; the blob flag is ignored.
  HRESULT ValidateItems(DWORD dwCount, OPCITEMDEF* pItemArray, BOOL bBlobUpdate,
                        OPCITEMRESULT** ppValidationResults, HRESULT** ppErrors) override;
  // OPC_E_INVALIDHANDLE for a handle no item of this group has.
  HRESULT RemoveItems(DWORD dwCount, OPCHANDLE* phServer, HRESULT** ppErrors) override;
  // The changes take any value as given; activating an item does not mark it changed.
  HRESULT SetActiveState(DWORD dwCount, OPCHANDLE* phServer, BOOL bActive, HRESULT** ppErrors) override;
  HRESULT SetClientHandles(DWORD dwCount, OPCHANDLE* phServer, OPCHANDLE* phClient, HRESULT** ppErrors) override;
  HRESULT SetDatatypes(DWORD dwCount, OPCHANDLE* phServer, VARTYPE* pRequestedDatatypes, HRESULT** ppErrors) override;
  // IEnumOPCItemAttributes over copies of the items as they are now;
  // E_INVALIDARG for any other interface.
  HRESULT CreateEnumerator(REFIID riid, LPUNKNOWN* ppUnk) override;

 private:
  // Resolves the definitions into `results` and `errors` (task memory, given
  // out only on success); `add` makes an item of each valid one.
  HRESULT ResolveItems(DWORD count, const OPCITEMDEF* definitions, OPCITEMRESULT** results, HRESULT** errors,
                       bool add);
  // Makes and attaches the item of a valid definition, whose tag (a leaf) was
  // just found under the server lock the caller still holds; its error. What
  // the host is to hear goes to `notices`, sent once the lock is released.
  HRESULT AddItem(const OPCITEMDEF& definition, OPCTag& tag, const std::string& accessPath, const std::string& itemId,
                  DWORD rights, OPCITEMRESULT* result, ItemHostNotices& notices);
  // Checks the arguments of a call naming items by handle (`valuesGiven`:
  // the call's array of new values, if it has one, is there) and takes its
  // error array: S_OK and the array, or the call's failure with `*errors` NULL.
  HRESULT StartHandleCall(DWORD count, const OPCHANDLE* handles, bool valuesGiven, HRESULT** errors,
                          TaskArray<HRESULT>& errorArray) const;
  // Applies `change(item, i)` under the server lock to the item of each handle.
  template <class Change>
  HRESULT ChangeItems(DWORD count, const OPCHANDLE* handles, bool valuesGiven, HRESULT** errors, Change change);
};
