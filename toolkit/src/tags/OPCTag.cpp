#include "tags/OPCTag.h"

#include "app/DereferencedCopy.h"
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

constexpr LevelAlarm kDefaultLevelAlarms[OPCTag::kLevelAlarmCount] = {{0.0f, FALSE, kDefaultAlarmSeverity},
                                                                    {0.0f, FALSE, kDefaultAlarmSeverity},
                                                                    {100.0f, FALSE, kDefaultAlarmSeverity},
                                                                    {100.0f, FALSE, kDefaultAlarmSeverity}};

}  // namespace

TagExtras::TagExtras() { std::copy(std::begin(kDefaultLevelAlarms), std::end(kDefaultLevelAlarms), levelAlarms); }

TagExtras::~TagExtras() = default;

OPCTag::OPCTag(OPCTag* parent, std::string name)
    : live(std::make_unique<TagLive>()), parent(parent), name(std::move(name)) {}

OPCTag::~OPCTag() {
  // Take the subtree down one node at a time: a name of very many components
  // must not exhaust the stack.
  std::vector<std::unique_ptr<OPCTag>> pending;
  for (std::unique_ptr<OPCTag>& child : children) pending.push_back(std::move(child));
  children.clear();
  while (!pending.empty()) {
    std::unique_ptr<OPCTag> node = std::move(pending.back());
    pending.pop_back();
    for (std::unique_ptr<OPCTag>& child : node->children) pending.push_back(std::move(child));
    node->children.clear();
  }
}

const std::vector<std::unique_ptr<OPCTagProperty>>& OPCTag::Properties() const {
  static const std::vector<std::unique_ptr<OPCTagProperty>> none;
  return extras_ != nullptr ? extras_->properties : none;
}

const LevelAlarm* OPCTag::LevelAlarms() const {
  return extras_ != nullptr ? extras_->levelAlarms : kDefaultLevelAlarms;
}

TagExtras& OPCTag::Extras() {
  if (extras_ == nullptr) extras_ = std::make_unique<TagExtras>();
  return *extras_;
}

int OPCTag::GetPropertyCount() const { return kStandardPropertyCount + static_cast<int>(Properties().size()); }

BOOL OPCTag::GetPropertyInfo(int index, DWORD* id, std::string* description, VARTYPE* type) const {
  if (index < 0 || index >= GetPropertyCount()) return FALSE;
  if (index < kStandardPropertyCount) {
    const StandardProperty& standard = kStandardProperties[index];
    *id = standard.id;
    *description = standard.description;
    *type = standard.type == VT_EMPTY ? live->value.vt : standard.type;
  } else {
    const OPCTagProperty& custom = *Properties()[index - kStandardPropertyCount];
    *id = custom.id;
    *description = custom.description;
    *type = custom.value.vt;
  }
  return TRUE;
}

HRESULT OPCTag::GetPropertyValue(DWORD id, VARIANT* out) const {
  switch (id) {
    case 1:
      PutScalar(out, VT_I2, &VARIANT::iVal, static_cast<SHORT>(live->value.vt));
      return S_OK;
    case 2:
      return VariantCopy(out, &live->value);
    case 3:
      PutScalar(out, VT_I2, &VARIANT::iVal, static_cast<SHORT>(live->quality));
      return S_OK;
    case 4:
      PutScalar(out, VT_DATE, &VARIANT::date, LocalDateOf(live->timestamp));
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
  for (const std::unique_ptr<OPCTagProperty>& custom : Properties()) {
    if (custom->id == id) return VariantCopy(out, &custom->value);
  }
  return OPC_E_INVALID_PID;
}

BOOL OPCTag::SetProperty(DWORD id, const std::string& description, const VARIANT& newValue) {
  if (id <= kLastStandardPropertyId) return FALSE;
  VARIANT copy;
  VariantInit(&copy);
  if (FAILED(DereferencedCopy(&copy, &newValue))) return FALSE;
  std::vector<std::unique_ptr<OPCTagProperty>>& properties = Extras().properties;
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
  Extras().levelAlarms[alarm - 1] = LevelAlarm{limit, enabled, severity};
  live->levelAlarmsSet = true;
  return TRUE;
}

BOOL OPCTag::GetLevelAlarm(int alarm, FLOAT* limit, DWORD* severity, BOOL* enabled) const {
  if (alarm < 1 || alarm > kLevelAlarmCount) return FALSE;
  const LevelAlarm& stored = LevelAlarms()[alarm - 1];
  *limit = stored.limit;
  *severity = stored.severity;
  *enabled = stored.enabled;
  return TRUE;
}

std::unique_ptr<COPCEvent> OPCTag::EvaluateLevelAlarms(BOOL eventsOn) {
  // Without alarms ever set, the level is and stays normal.
  if (!eventsOn || extras_ == nullptr) return nullptr;
  const int level = LevelAlarmEvaluator::LevelOf(*this);
  if (level == extras_->alarmLevel) return nullptr;
  extras_->alarmLevel = level;
  extras_->alarmTime = NowUtc();
  return LevelAlarmEvaluator::LevelEvent(*this);
}

DWORD OPCTag::AccessRights() const { return (live->readAccess & OPC_READABLE) | (live->writeAccess & OPC_WRITEABLE); }
