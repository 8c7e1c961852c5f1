// The server's IOPCItemProperties holder: the properties of the tag an item ID
// names (the six standard ones, then the host's), their values, and the item
// IDs behind them, of which there are none. The tag is looked up and read
// under the server lock, so an update or removal cannot change it in between.
// Arrays handed out come zero-filled from the task allocator; nothing is
// handed out on failure.
#pragma once

#include "com/InterfaceHolder.h"

#include "platform/IOPCItemProperties.h"

class OPCServer;
class OPCTag;

class IOPCItemPropertiesHolder final : public InterfaceHolder<IOPCItemProperties, OPCServer> {
 public:
  explicit IOPCItemPropertiesHolder(OPCServer& server);

  // IDs, descriptions and value types of every property of the item.
  HRESULT QueryAvailableProperties(LPWSTR szItemID, DWORD* pdwCount, DWORD** ppPropertyIDs, LPWSTR** ppDescriptions,
                                   VARTYPE** ppvtDataTypes) override;
  // The values of the asked properties, each with its own result
  // (OPC_E_INVALID_PID, value empty, for one the item does not have); S_FALSE
  // when any failed.
  HRESULT GetItemProperties(LPWSTR szItemID, DWORD dwCount, DWORD* pdwPropertyIDs, VARIANT** ppvData,
                            HRESULT** ppErrors) override;
  // No property leads to another item: every new ID is NULL, with E_FAIL for
  // a property the item has and OPC_E_INVALID_PID for one it has not; S_FALSE.
  HRESULT LookupItemIDs(LPWSTR szItemID, DWORD dwCount, DWORD* pdwPropertyIDs, LPWSTR** ppszNewItemIDs,
                        HRESULT** ppErrors) override;

 private:
  // The tag of the item ID, or NULL; the caller holds the server lock.
  static const OPCTag* FindItem(LPWSTR itemId);
};
