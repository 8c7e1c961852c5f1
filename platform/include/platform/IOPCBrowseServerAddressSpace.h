// IOPCBrowseServerAddressSpace: walks a server's address space from a browse
// position the server keeps per client. Slots in the published order.
#pragma once

#include "platform/IEnumString.h"
#include "platform/opcda.h"

enum OPCBROWSEDIRECTION : DWORD { OPC_BROWSE_UP = 1, OPC_BROWSE_DOWN = 2, OPC_BROWSE_TO = 3 };

struct IOPCBrowseServerAddressSpace : public IUnknown {
  virtual HRESULT QueryOrganization(OPCNAMESPACETYPE* pNameSpaceType) = 0;
  virtual HRESULT ChangeBrowsePosition(OPCBROWSEDIRECTION dwBrowseDirection, LPCWSTR szString) = 0;
  virtual HRESULT BrowseOPCItemIDs(OPCBROWSETYPE dwBrowseFilterType, LPCWSTR szFilterCriteria,
                                   VARTYPE vtDataTypeFilter, DWORD dwAccessRightsFilter,
                                   LPENUMSTRING* ppIEnumString) = 0;
  virtual HRESULT GetItemID(LPWSTR szItemDataID, LPWSTR* szItemID) = 0;
  virtual HRESULT BrowseAccessPaths(LPCWSTR szItemID, LPENUMSTRING* ppIEnumString) = 0;

 protected:
  ~IOPCBrowseServerAddressSpace() = default;
};
