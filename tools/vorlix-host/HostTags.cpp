#include "HostTags.h"

#include "DataTypeCode.h"
#include "InvariantLocale.h"
#include "Utf8Text.h"
#include "Vorlix.h"

#include "platform/widetext.h"

#include <cmath>
#include <cstdio>
#include <optional>

namespace {

constexpr WORD kGoodQuality = OPC_QUALITY_GOOD;
constexpr WORD kBadQuality = OPC_QUALITY_BAD;
constexpr int kLoAlarm = 2;
constexpr int kHiAlarm = 3;

// NT level 1 in the high word of an access word, as the program grants.
constexpr DWORD kNtLevelOne = 0x10000;

std::string ValueText(const VARIANT& value) {
  VARIANT text;
  VariantInit(&text);
  if (FAILED(VariantChangeTypeEx(&text, const_cast<VARIANT*>(&value), kInvariantNumbers,
                                 VARIANT_ALPHABOOL, VT_BSTR))) {
    return "?";
  }
  const std::optional<std::string> ansi = NarrowAnsi(V_BSTR(&text) ? V_BSTR(&text) : L"");
  VariantClear(&text);
  return ansi.value_or("?");
}

bool IsNumeric(VARTYPE type) { return type != VT_BOOL; }

}  // namespace

size_t HostTags::Create(const std::vector<HostVariable>& variables) {
  for (const HostVariable& variable : variables) {
    const std::optional<std::string> name = NarrowAnsi(WidenUtf8(variable.itemName));
    if (!name) {
      std::fprintf(stderr, "vorlix-host: %s: the system's code page cannot hold this name; left out\n",
                   variable.itemName.c_str());
      continue;
    }
    VARIANT value = DataTypeCode::ValueOf(variable.typeCode, variable.valueText);
    const WORD quality = variable.online ? kGoodQuality : kBadQuality;
    std::string mutableName = *name;
    // A tag that is not writable is the toolkit's read-only tag; the others
    // get the access words the program gives its variables.
    const DWORD handle = variable.writable
                             ? CreateSecureTag(mutableName.data(), value, quality, kNtLevelOne, kNtLevelOne)
                             : CreateTag(mutableName.data(), value, quality, FALSE);
    VariantClear(&value);
    if (handle == VORLIX_INVALID_TAG) {
      std::fprintf(stderr, "vorlix-host: %s: the tag could not be made (a duplicate name?); left out\n",
                   variable.itemName.c_str());
      continue;
    }
    if (variable.hasBounds && IsNumeric(DataTypeCode::TypeOf(variable.typeCode))) {
      SetItemLevelAlarm(handle, kLoAlarm, static_cast<float>(variable.minimum), kAlarmSeverity, TRUE);
      SetItemLevelAlarm(handle, kHiAlarm, static_cast<float>(variable.maximum), kAlarmSeverity, TRUE);
    }
    byHandle_.emplace(handle, tags_.size());
    tags_.push_back({handle, variable, quality});
  }
  return tags_.size();
}

void HostTags::Simulate(unsigned step) {
  for (size_t i = 0; i < tags_.size(); ++i) {
    const Tag& tag = tags_[i];
    const HostVariable& variable = tag.variable;
    if (!variable.hasBounds || !IsNumeric(DataTypeCode::TypeOf(variable.typeCode))) continue;
    // A wave of its own per tag, between 10 % and 90 % of the span.
    const double phase = step / 10.0 + static_cast<double>(i);
    const double number = variable.minimum + (variable.maximum - variable.minimum) * (0.5 + 0.4 * std::sin(phase));
    VARIANT value = DataTypeCode::ValueOf(variable.typeCode, number);
    UpdateTag(tag.handle, value, tag.quality);
    VariantClear(&value);
  }
}

void HostTags::TakeWrite(DWORD handle, const VARIANT& value, const char* user) {
  const Tag* tag = Find(handle);
  if (tag == nullptr) return;
  // The value changes; the box's state (the tag's quality) does not.
  UpdateTag(handle, value, tag->quality);
  const std::optional<std::string> name = NarrowAnsi(WidenUtf8(tag->variable.itemName));
  std::string message = name.value_or("?") + " = " + ValueText(value) + " (written by " + (user ? user : "?") + ")";
  UserAEMessage(message.data(), kWriteEventSeverity);
}

const HostTags::Tag* HostTags::Find(DWORD handle) const {
  const auto found = byHandle_.find(handle);
  return found == byHandle_.end() ? nullptr : &tags_[found->second];
}
