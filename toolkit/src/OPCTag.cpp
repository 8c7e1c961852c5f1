#include "OPCTag.h"

#include "COPCEvent.h"
#include "OPCTagProperty.h"

#include "platform/opcda.h"
#include "platform/wintime.h"

#include <utility>

namespace {
constexpr DWORD kDefaultAlarmSeverity = 200;
}  // namespace

OPCTag::OPCTag(OPCTag* parent, std::string name)
    : parent(parent),
      name(std::move(name)),
      quality(OPC_QUALITY_UNCERTAIN),
      levelAlarms{{0.0f, FALSE, kDefaultAlarmSeverity},
                  {0.0f, FALSE, kDefaultAlarmSeverity},
                  {100.0f, FALSE, kDefaultAlarmSeverity},
                  {100.0f, FALSE, kDefaultAlarmSeverity}} {
  VariantInit(&value);
  value.vt = VT_R4;
  value.fltVal = 0.0f;
  GetSystemTimeAsFileTime(&timestamp);
}

OPCTag::~OPCTag() {
  // Take the subtree down one node at a time: a name of very many components
  // must not exhaust the stack.
  std::vector<std::unique_ptr<OPCTag>> pending = std::move(children);
  while (!pending.empty()) {
    std::unique_ptr<OPCTag> node = std::move(pending.back());
    pending.pop_back();
    for (std::unique_ptr<OPCTag>& child : node->children) pending.push_back(std::move(child));
    node->children.clear();
  }
  VariantClear(&value);
}

HRESULT OPCTag::SetValue(const VARIANT& newValue) {
  VARIANT copy;
  VariantInit(&copy);
  const HRESULT hr = VariantCopy(&copy, &newValue);
  if (FAILED(hr)) return hr;
  VariantClear(&value);
  value = copy;
  return S_OK;
}

HRESULT OPCTag::Update(const VARIANT& newValue, WORD newQuality, const FILETIME& newTimestamp) {
  const HRESULT hr = SetValue(newValue);
  if (FAILED(hr)) return hr;
  quality = newQuality;
  timestamp = newTimestamp;
  return S_OK;
}

std::unique_ptr<COPCEvent> OPCTag::EvaluateLevelAlarms() { return nullptr; }

DWORD OPCTag::AccessRights() const { return (readAccess & OPC_READABLE) | (writeAccess & OPC_WRITEABLE); }
