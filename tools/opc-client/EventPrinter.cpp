#include "EventPrinter.h"

#include "ValueFormat.h"

HRESULT EventPrinter::OnEvent(OPCHANDLE, BOOL, BOOL, DWORD count, ONEVENTSTRUCT* events) {
  if (count > 0 && !events) {
    log_.Fail("OnEvent came with a null array");
    return S_OK;
  }
  for (DWORD i = 0; i < count; ++i) log_.Add(Line(events[i]));
  return S_OK;
}

std::string EventPrinter::Line(const ONEVENTSTRUCT& event) {
  std::string line = ValueFormat::Time(event.ftTime) + "  " + ValueFormat::Utf8(event.szSource) + "  " +
                     ValueFormat::Utf8(event.szMessage) + "  severity " + std::to_string(event.dwSeverity);
  if (event.dwEventType == OPC_CONDITION_EVENT) {
    line += "  " + ValueFormat::Utf8(event.szConditionName) + "/" + ValueFormat::Utf8(event.szSubconditionName);
  }
  return line;
}
