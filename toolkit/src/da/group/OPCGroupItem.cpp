#include "da/group/OPCGroupItem.h"

#include "app/DereferencedCopy.h"
#include "app/CVorlixApp.h"
#include "app/InternedTexts.h"
#include "da/group/TagClientItems.h"
#include "da/io/DataStreamBuilder.h"

#include "platform/bstr.h"
#include "platform/handletable.h"
#include "platform/safearray.h"

#include <cstring>

namespace {

// The user name of an item whose client NT security does not identify.
constexpr char kUnknownUser[] = "Unknown";

// The full name or access path of a record that has none.
const std::string kNoText;

// Whether two arrays have the same dimensions and bounds.
bool SameShape(const SAFEARRAY* first, const SAFEARRAY* second) {
  if (first == nullptr || second == nullptr || first->cDims != second->cDims) return false;
  return std::memcmp(first->rgsabound, second->rgsabound, first->cDims * sizeof(SAFEARRAYBOUND)) == 0;
}

}  // namespace

// Every record has the size the pool and the cache lines were planned for.
static_assert(sizeof(OPCGroupItem) <= 96 + 2 * kVariantBytesBeyond16, "a client item record fits in 96 bytes (with 16-byte VARIANTs)");

OPCGroupItem::OPCGroupItem() {
  static const std::string& unknownUser = InternedTexts::Intern(kUnknownUser);
  userName_ = &unknownUser;
  VariantInit(&value);
  VariantInit(&referenceValue);
}

OPCGroupItem::~OPCGroupItem() {
  WithdrawServerHandle();
  VariantClear(&value);
  VariantClear(&referenceValue);
}

void OPCGroupItem::WithdrawServerHandle() {
  // A copy carries the handle of the item it was made from, which the table
  // gives for it: only the record the handle was issued to withdraws it.
  if (serverHandle != 0 && SharedHandleTable<OPCGroupItem>::Lookup(serverHandle) == this) {
    SharedHandleTable<OPCGroupItem>::Remove(serverHandle);
  }
}

void OPCGroupItem::AssignServerHandle() {
  WithdrawServerHandle();
  serverHandle = SharedHandleTable<OPCGroupItem>::Add(this);
}

const std::string& OPCGroupItem::FullName() const {
  if (tagItems != nullptr) return tagItems->Name();
  return names_ != nullptr ? names_->fullName : kNoText;
}

const std::string& OPCGroupItem::ItemId() const { return names_ != nullptr ? names_->itemId : FullName(); }

const std::string& OPCGroupItem::AccessPath() const { return names_ != nullptr ? names_->accessPath : kNoText; }

void OPCGroupItem::SetNames(std::string itemId, std::string accessPath) {
  std::string fullName = VorlixApp().MakeFullName(accessPath, itemId);
  names_ = std::make_unique<Names>(Names{std::move(itemId), std::move(accessPath), std::move(fullName)});
}

void OPCGroupItem::EnterList(TagClientItems& list) {
  tagItems = &list;
  if (names_ == nullptr) return;
  if (names_->accessPath.empty() && names_->itemId == list.Name()) {
    names_.reset();
  } else {
    std::string().swap(names_->fullName);
  }
}

void OPCGroupItem::SetUserName(std::string_view name) { userName_ = &InternedTexts::Intern(name); }

BOOL OPCGroupItem::CopyFrom(const OPCGroupItem& other) {
  serverHandle = other.serverHandle;
  clientHandle = other.clientHandle;
  names_ = std::make_unique<Names>(Names{other.ItemId(), other.AccessPath(), other.FullName()});
  canonicalType = other.canonicalType;
  requestedType = other.requestedType;
  active = other.active;
  quality = other.quality;
  timestamp = other.timestamp;
  accessRights = other.accessRights;
  updateRate = other.updateRate;
  return SUCCEEDED(VariantCopy(&value, &other.value)) && SUCCEEDED(VariantCopy(&referenceValue, &other.referenceValue));
}

std::vector<std::unique_ptr<OPCGroupItem>> OPCGroupItem::CopyAll(
    const std::vector<std::unique_ptr<OPCGroupItem>>& items) {
  std::vector<std::unique_ptr<OPCGroupItem>> copies;
  copies.reserve(items.size());
  for (const std::unique_ptr<OPCGroupItem>& item : items) {
    copies.push_back(std::make_unique<OPCGroupItem>());
    copies.back()->CopyFrom(*item);
  }
  return copies;
}

HRESULT OPCGroupItem::ReadCached(VARIANT* valueOut, WORD* qualityOut, FILETIME* timestampOut) const {
  if ((accessRights & OPC_READABLE) == 0) return OPC_E_BADRIGHTS;
  if (qualityOut != nullptr) *qualityOut = quality;
  if (timestampOut != nullptr) *timestampOut = timestamp;
  if (valueOut == nullptr) return S_OK;
  const HRESULT hr = CopyValue(*valueOut, value);
  if (FAILED(hr)) return hr;
  return ConvertToRequested(valueOut, requestedType, qualityOut);
}

HRESULT OPCGroupItem::ConvertToRequested(VARIANT* value, VARTYPE requested, WORD* qualityOut) {
  if (requested == VT_EMPTY || requested == value->vt) return S_OK;
  const HRESULT hr = VariantChangeType(value, value, 0, requested);
  if (FAILED(hr)) {
    // No value of the wrong type goes out.
    VariantClear(value);
    if (qualityOut != nullptr) *qualityOut = OPC_QUALITY_BAD;
  }
  return hr;
}

HRESULT OPCGroupItem::CheckWrite(VARIANT* written) {
  if ((accessRights & OPC_WRITEABLE) == 0) return OPC_E_BADRIGHTS;
  if (V_ISBYREF(written)) {
    // The client's memory is not ours to keep: the copy takes the value itself.
    const HRESULT hr = DereferencedCopy(written, written);
    if (FAILED(hr)) return hr;
  }
  if (VorlixApp().ConvertToCanonical()) {
    if (written->vt != canonicalType && canonicalType != VT_EMPTY && canonicalType != VT_NULL) {
      const HRESULT hr = VariantChangeType(written, written, 0, canonicalType);
      if (FAILED(hr)) return hr;
    } else if ((canonicalType & VT_ARRAY) != 0 &&
               ((value.vt & VT_ARRAY) == 0 || !SameShape(written->parray, value.parray))) {
      return DISP_E_TYPEMISMATCH;
    }
  }
  VARIANT copy;
  VariantInit(&copy);
  const HRESULT hr = VariantCopy(&copy, written);
  if (FAILED(hr)) return hr;
  VariantClear(&value);
  value = copy;
  changed = TRUE;
  return S_OK;
}

BOOL OPCGroupItem::FillAttributes(OPCITEMATTRIBUTES* element, BOOL useTask) const {
  CVorlixApp& app = VorlixApp();
  element->bActive = active;
  element->hServer = serverHandle;
  element->hClient = clientHandle;
  element->dwAccessRights = accessRights;
  element->dwBlobSize = 0;
  element->pBlob = nullptr;
  element->vtRequestedDataType = requestedType;
  element->vtCanonicalDataType = canonicalType;
  element->dwEUType = OPC_NOENUM;
  VariantInit(&element->vEUInfo);
  element->szAccessPath = app.AllocWideFromAnsi(AccessPath().c_str(), useTask);
  element->szItemID = app.AllocWideFromAnsi(ItemId().c_str(), useTask);
  if (element->szAccessPath != nullptr && element->szItemID != nullptr) return TRUE;
  app.TaskFree(element->szAccessPath, useTask);
  app.TaskFree(element->szItemID, useTask);
  element->szAccessPath = nullptr;
  element->szItemID = nullptr;
  return FALSE;
}

size_t OPCGroupItem::ValueStreamSize() const {
  VARIANT streamed;
  VariantInit(&streamed);
  if (requestedType != VT_EMPTY) {
    VariantChangeType(&streamed, &value, 0, requestedType);
  } else {
    VariantCopy(&streamed, &value);
  }
  const size_t size = DataStreamBuilder::ValueSize(streamed);
  VariantClear(&streamed);
  return size;
}
