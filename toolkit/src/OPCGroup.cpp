#include "OPCGroup.h"

#include "platform/handletable.h"

namespace {
HandleTable<OPCGroup>& GroupIdentities() {
  static HandleTable<OPCGroup> table;
  return table;
}
}  // namespace

OPCGroup::OPCGroup(OPCServer* server, std::string name, DWORD updateRate)
    : server_(server), name_(std::move(name)), updateRate_(updateRate), identity_(GroupIdentities().Add(this)) {}

OPCGroup::~OPCGroup() { GroupIdentities().Remove(identity_); }

HRESULT OPCGroup::QueryInterface(REFIID riid, void** ppvObject) {
  if (ppvObject == nullptr) return E_INVALIDARG;
  *ppvObject = nullptr;
  if (riid != IID_IUnknown) return E_NOINTERFACE;
  *ppvObject = static_cast<IUnknown*>(this);
  AddRef();
  return S_OK;
}

ULONG OPCGroup::AddRef() {
  holds_.fetch_add(1);
  return static_cast<ULONG>(++references_);
}

ULONG OPCGroup::Release() {
  const LONG remaining = --references_;
  DropHold();
  return static_cast<ULONG>(remaining);
}

void OPCGroup::Detach() {
  server_ = nullptr;
  DropHold();
}

void OPCGroup::Pin() { holds_.fetch_add(1); }

void OPCGroup::Unpin() { DropHold(); }

void OPCGroup::DropHold() {
  if (holds_.fetch_sub(1) == 1) delete this;
}

void OPCGroup::DrainAsyncRequests() {}

void OPCGroup::Scan(BOOL) {}

void OPCGroup::PropagateTag(const OPCTag&) {}

void OPCGroup::PropagateTagList(const std::vector<const OPCTag*>&) {}

int OPCGroup::CountItemsNamed(const std::string&) const { return 0; }

BOOL OPCGroup::HasItemForTag(const OPCTag&) const { return FALSE; }

BOOL OPCGroup::RecheckRights() { return TRUE; }
