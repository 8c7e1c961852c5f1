// The server's IOPCBrowseServerAddressSpace holder: walks the tag tree for one
// client from a browse position of its own, an ordered list of name
// components starting at the root. The position and the tree are read and
// changed under the server lock, as calls of one client may come from several
// threads.
#pragma once

#include "com/InterfaceHolder.h"

#include "platform/IOPCBrowseServerAddressSpace.h"

#include <string>
#include <vector>

class OPCServer;

class IOPCBrowseServerAddressSpaceHolder final : public InterfaceHolder<IOPCBrowseServerAddressSpace, OPCServer> {
 public:
  explicit IOPCBrowseServerAddressSpaceHolder(OPCServer& server);

  HRESULT QueryOrganization(OPCNAMESPACETYPE* pNameSpaceType) override;
  // Up one level, down into a child of the position (only the text's last
  // component counts), or to the node a full name gives. E_FAIL, position
  // unchanged, for a move that leads nowhere and for any move in a flat space.
  HRESULT ChangeBrowsePosition(OPCBROWSEDIRECTION dwBrowseDirection, LPCWSTR szString) override;
  // The branches, leaves or (flat) every leaf below the position that pass
  // the filters, in a new string enumerator. A flat space is always listed
  // flat from the root, and the position goes back to the root.
  HRESULT BrowseOPCItemIDs(OPCBROWSETYPE dwBrowseFilterType, LPCWSTR szFilterCriteria, VARTYPE vtDataTypeFilter,
                           DWORD dwAccessRightsFilter, LPENUMSTRING* ppIEnumString) override;
  // The full item ID of a name at the position; for an empty name, the
  // position itself. OPC_E_INVALIDITEMID for a name that names no node.
  HRESULT GetItemID(LPWSTR szItemDataID, LPWSTR* szItemID) override;
  // Access paths are not used: E_NOTIMPL.
  HRESULT BrowseAccessPaths(LPCWSTR szItemID, LPENUMSTRING* ppIEnumString) override;

 private:
  HRESULT MoveDown(const std::string& text);
  HRESULT MoveTo(const std::string& text);
  std::string JoinedPosition() const;

  std::vector<std::string> position_;
};
