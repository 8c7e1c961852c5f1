#include "tags/OPCTag.h"

#include "ae/COPCEvent.h"
#include "tags/LevelAlarmEvaluator.h"
#include "tags/OPCTagProperty.h"

#include "platform/oletime.h"
#include "platform/opcda.h"
#include "platform/wintime.h"

#include <algorithm>
#include <utility>

namespace {

constexpr DWORD kDefaultAlarmSeverity = 200;

struct StandardProperty {
  DWORD id;
  const char* description;
  VARTYPE type;  // VT_EMPTY: the type of the tag's value
};

constexpr StandardProperty kStandardProperties[] = {
    {1, "Item Canonical Data Type", VT_I2}, {2, "Item Value", VT_EMPTY},          {3, "Item Quality", VT_I2},
    {4, "Item Timestamp", VT_DATE},         {5, "Item Access Rights", VT_I4},     {6, "Server Scan Rate", VT_R4},
};
constexpr int kStandardPropertyCount = static_cast<int>(std::size(kStandardProperties));
constexpr DWORD kLastStandardPropertyId = 6;
// What the scan-rate property reports, whatever the server's rate.
constexpr FLOAT kReportedScanRate = 10.0f;

// The UTC time as an OLE date of the local time, by the process's time-zone
// rules as they are now.
DATE LocalDateOf(const FILETIME& utc) {
  FILETIME local;
  SYSTEMTIME fields;
  DATE date = 0.0;
  if (FileTimeToLocalFileTime(&utc, &local) && FileTimeToSystemTime(&local, &fields)) {
    SystemTimeToVariantTime(&fields, &date);
  }
  return date;
}

// Replaces what `out` holds by a scalar value.
template <class T>
void PutScalar(VARIANT* out, VARTYPE type, T VARIANT::*member, T scalar) {
  VariantClear(out);
  out->vt = type;
  out->*member = scalar;
}

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
  timestamp = NowUtc();
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
  // A reference is stored as what it refers to: its target is the caller's.
  const HRESULT hr = VariantCopyInd(&copy, &newValue);
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
  ++updates;
  return S_OK;
}

int OPCTag::GetPropertyCount() const { return kStandardPropertyCount + static_cast<int>(properties.size()); }

BOOL OPCTag::GetPropertyInfo(int index, DWORD* id, std::string* description, VARTYPE* type) const {
  if (index < 0 || index >= GetPropertyCount()) return FALSE;
  if (index < kStandardPropertyCount) {
    const StandardProperty& standard = kStandardProperties[index];
    *id = standard.id;
    *description = standard.description;
    *type = standard.type == VT_EMPTY ? value.vt : standard.type;
  } else {
    const OPCTagProperty& custom = *properties[index - kStandardPropertyCount];
    *id = custom.id;
    *description = custom.description;
    *type = custom.value.vt;
  }
  return TRUE;
}

HRESULT OPCTag::GetPropertyValue(DWORD id, VARIANT* out) const {
  switch (id) {
    case 1:
      PutScalar(out, VT_I2, &VARIANT::iVal, static_cast<SHORT>(value.vt));
      return S_OK;
    case 2:
      return VariantCopy(out, &value);
    case 3:
      PutScalar(out, VT_I2, &VARIANT::iVal, static_cast<SHORT>(quality));
      return S_OK;
    case 4:
      PutScalar(out, VT_DATE, &VARIANT::date, LocalDateOf(timestamp));
      return S_OK;
    case 5:
      PutScalar(out, VT_I4, &VARIANT::lVal, static_cast<LONG>(AccessRights()));
      return S_OK;
    case 6:
      PutScalar(out, VT_R4, &VARIANT::fltVal, kReportedScanRate);
      return S_OK;
    default:
      break;
  }
  for (const std::unique_ptr<OPCTagProperty>& custom : properties) {
    if (custom->id == id) return VariantCopy(out, &custom->value);
  }
  return OPC_E_INVALID_PID;
}

BOOL OPCTag::SetProperty(DWORD id, const std::string& description, const VARIANT& newValue) {
  if (id <= kLastStandardPropertyId) return FALSE;
  VARIANT copy;
  VariantInit(&copy);
  if (FAILED(VariantCopyInd(&copy, &newValue))) return FALSE;
  auto existing = std::find_if(properties.begin(), properties.end(),
                               [id](const std::unique_ptr<OPCTagProperty>& custom) { return custom->id == id; });
  if (existing == properties.end()) {
    properties.push_back(std::make_unique<OPCTagProperty>(id, description));
    existing = properties.end() - 1;
  }
  OPCTagProperty& property = **existing;
  property.description = description;
  VariantClear(&property.value);
  property.value = copy;
  return TRUE;
}

BOOL OPCTag::SetLevelAlarm(int alarm, FLOAT limit, DWORD severity, BOOL enabled) {
  if (alarm < 1 || alarm > kLevelAlarmCount) return FALSE;
  levelAlarms[alarm - 1] = LevelAlarm{limit, enabled, severity};
  return TRUE;
}

BOOL OPCTag::GetLevelAlarm(int alarm, FLOAT* limit, DWORD* severity, BOOL* enabled) const {
  if (alarm < 1 || alarm > kLevelAlarmCount) return FALSE;
  const LevelAlarm& stored = levelAlarms[alarm - 1];
  *limit = stored.limit;
  *severity = stored.severity;
  *enabled = stored.enabled;
  return TRUE;
}

std::unique_ptr<COPCEvent> OPCTag::EvaluateLevelAlarms(BOOL eventsOn) {
  if (!eventsOn) return nullptr;
  const int level = LevelAlarmEvaluator::LevelOf(*this);
  if (level == alarmLevel) return nullptr;
  alarmLevel = level;
  alarmTime = NowUtc();
  return LevelAlarmEvaluator::LevelEvent(*this);
}

DWORD OPCTag::AccessRights() const { return (readAccess & OPC_READABLE) | (writeAccess & OPC_WRITEABLE); }
