#include "support/HostCalls.h"

#include "app/CVorlixApp.h"

#include "platform/bstr.h"

VARIANT MakeR4(float value) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_R4;
  v.fltVal = value;
  return v;
}

VARIANT MakeR8(double value) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_R8;
  v.dblVal = value;
  return v;
}

VARIANT MakeI4(LONG value) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = value;
  return v;
}

VARIANT MakeBstr(const WCHAR* text) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BSTR;
  v.bstrVal = SysAllocString(text);
  return v;
}

DWORD NewTag(std::string name, VARIANT value) { return CreateTag(name.data(), value, OPC_QUALITY_GOOD, TRUE); }

TagReading ReadTagState(DWORD handle) {
  TagReading reading{FALSE, {}, 0, {0, 0}};
  VariantInit(&reading.value);
  reading.found = ReadTagWithTimeStamp(handle, &reading.value, &reading.quality, &reading.timestamp);
  return reading;
}

ItemDefinition::ItemDefinition(const std::string& accessPath, const std::string& itemId, VARTYPE requested)
    : accessPath_(WidenAnsi(accessPath)), itemId_(WidenAnsi(itemId)) {
  definition_ = OPCITEMDEF{accessPath_.data(), itemId_.data(), TRUE, 0, 0, nullptr, requested, 0};
}

HRESULT Validate(const std::string& accessPath, const std::string& itemId, VARTYPE requested, OPCITEMRESULT* result,
                 DWORD* rights) {
  const ItemDefinition item(accessPath, itemId, requested);
  return VorlixApp().ValidateItem(item.Get(), result, nullptr, rights);
}
