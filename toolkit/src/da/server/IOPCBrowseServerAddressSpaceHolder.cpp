#include "da/server/IOPCBrowseServerAddressSpaceHolder.h"

#include "app/CallBoundary.h"
#include "app/OutPointers.h"
#include "com/IOPCEnumString.h"
#include "da/server/OPCServer.h"
#include "tags/ItemName.h"

#include "platform/widetext.h"

#include <new>
#include <utility>

IOPCBrowseServerAddressSpaceHolder::IOPCBrowseServerAddressSpaceHolder(OPCServer& server)
    : InterfaceHolder(server, "IOPCBrowseServerAddressSpace", "OPCServer") {}

HRESULT IOPCBrowseServerAddressSpaceHolder::QueryOrganization(OPCNAMESPACETYPE* pNameSpaceType) {
  return AnswerComCall([&]() -> HRESULT {
    VorlixApp().TraceMessage("IOPCBrowseServerAddressSpace::QueryOrganization");
    if (pNameSpaceType == nullptr) return E_INVALIDARG;
    *pNameSpaceType = VorlixApp().QueryOrganization();
    return S_OK;
  });
}

HRESULT IOPCBrowseServerAddressSpaceHolder::ChangeBrowsePosition(OPCBROWSEDIRECTION dwBrowseDirection, LPCWSTR szString) {
  // A client may pass any 32-bit value: it is kept as a number, not as the enumeration.
  const DWORD direction = dwBrowseDirection;
  return AnswerComCall([&]() -> HRESULT {
    VorlixApp().TraceMessage("IOPCBrowseServerAddressSpace::ChangeBrowsePosition");
    ServerLock::Hold hold(VorlixApp().GetServerLock());
    if (VorlixApp().QueryOrganization() == OPC_NS_FLAT) return E_FAIL;
    switch (direction) {
      case OPC_BROWSE_UP:
        if (position_.empty()) return E_FAIL;
        position_.pop_back();
        return S_OK;
      case OPC_BROWSE_DOWN:
      case OPC_BROWSE_TO:
        break;
      default:
        return E_FAIL;
    }
    // A name the ANSI code page cannot hold names no branch.
    const std::optional<std::string> name = NarrowAnsi(szString);
    if (!name) return E_FAIL;
    return direction == OPC_BROWSE_DOWN ? MoveDown(*name) : MoveTo(*name);
  });
}

HRESULT IOPCBrowseServerAddressSpaceHolder::MoveDown(const std::string& text) {
  const size_t lastDelimiter = LastDelimiter(text, VorlixApp().Delimiter());
  std::vector<std::string> candidate = position_;
  candidate.push_back(lastDelimiter == std::string::npos ? text : text.substr(lastDelimiter + 1));
  if (VorlixApp().ResolveBrowsePath(candidate) == nullptr) return E_FAIL;
  position_ = std::move(candidate);
  return S_OK;
}

HRESULT IOPCBrowseServerAddressSpaceHolder::MoveTo(const std::string& text) {
  std::vector<std::string> components = SplitItemName(text, VorlixApp().Delimiter());
  if (VorlixApp().ResolveBrowsePath(components) == nullptr) return E_FAIL;
  position_ = std::move(components);
  return S_OK;
}

HRESULT IOPCBrowseServerAddressSpaceHolder::BrowseOPCItemIDs(OPCBROWSETYPE dwBrowseFilterType, LPCWSTR szFilterCriteria,
                                                        VARTYPE vtDataTypeFilter, DWORD dwAccessRightsFilter,
                                                        LPENUMSTRING* ppIEnumString) {
  // A client may pass any 32-bit value: it is kept as a number, not as the enumeration.
  DWORD browseType = dwBrowseFilterType;
  return AnswerComCall([&]() -> HRESULT {
    VorlixApp().TraceMessage("IOPCBrowseServerAddressSpace::BrowseOPCItemIDs");
    if (ppIEnumString == nullptr) return E_INVALIDARG;
    std::vector<std::string> names;
    {
      ServerLock::Hold hold(VorlixApp().GetServerLock());
      if (VorlixApp().QueryOrganization() == OPC_NS_FLAT) {
        position_.clear();
        browseType = OPC_FLAT;
      }
      VorlixApp().BrowseItemIDs(position_, names, static_cast<OPCBROWSETYPE>(browseType), szFilterCriteria,
                                vtDataTypeFilter, dwAccessRightsFilter);
    }
    IOPCEnumString* strings = new (std::nothrow) IOPCEnumString(std::move(names));
    *ppIEnumString = strings;
    if (strings == nullptr) return E_OUTOFMEMORY;
    strings->AddRef();
    return S_OK;
  });
}

HRESULT IOPCBrowseServerAddressSpaceHolder::GetItemID(LPWSTR szItemDataID, LPWSTR* szItemID) {
  return AnswerComCall([&]() -> HRESULT {
    VorlixApp().TraceMessage("IOPCBrowseServerAddressSpace::GetItemID");
    if (szItemID == nullptr) return E_INVALIDARG;
    *szItemID = nullptr;
    const std::optional<std::string> name = NarrowAnsi(szItemDataID);
    if (!name) return OPC_E_INVALIDITEMID;
    std::string itemId;
    {
      ServerLock::Hold hold(VorlixApp().GetServerLock());
      if (name->empty()) {
        itemId = JoinedPosition();
      } else {
        const bool fromRoot = position_.empty() || VorlixApp().QueryOrganization() == OPC_NS_FLAT;
        itemId = fromRoot ? *name : JoinedPosition() + VorlixApp().Delimiter() + *name;
        if (VorlixApp().FindBranch(itemId, nullptr) == nullptr) return OPC_E_INVALIDITEMID;
      }
    }
    *szItemID = VorlixApp().AllocWideFromAnsi(itemId.c_str(), TRUE);
    return *szItemID != nullptr ? S_OK : E_OUTOFMEMORY;
  });
}

HRESULT IOPCBrowseServerAddressSpaceHolder::BrowseAccessPaths(LPCWSTR, LPENUMSTRING* ppIEnumString) {
  return AnswerComCall([&]() -> HRESULT {
    VorlixApp().TraceMessage("IOPCBrowseServerAddressSpace::BrowseAccessPaths");
    ClearOutPointers(ppIEnumString);
    return E_NOTIMPL;
  });
}

std::string IOPCBrowseServerAddressSpaceHolder::JoinedPosition() const {
  std::string joined;
  for (size_t i = 0; i < position_.size(); ++i) {
    if (i != 0) joined += VorlixApp().Delimiter();
    joined += position_[i];
  }
  return joined;
}
