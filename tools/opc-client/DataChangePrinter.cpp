#include "DataChangePrinter.h"

#include "ValueFormat.h"

HRESULT DataChangePrinter::OnDataChange(DWORD, OPCHANDLE, HRESULT, HRESULT, DWORD count, OPCHANDLE* clientItems,
                                        VARIANT* values, WORD* qualities, FILETIME* times, HRESULT* errors) {
  Print(count, clientItems, values, qualities, times, errors);
  return S_OK;
}

HRESULT DataChangePrinter::OnReadComplete(DWORD, OPCHANDLE, HRESULT, HRESULT, DWORD count, OPCHANDLE* clientItems,
                                          VARIANT* values, WORD* qualities, FILETIME* times, HRESULT* errors) {
  Print(count, clientItems, values, qualities, times, errors);
  return S_OK;
}

HRESULT DataChangePrinter::OnWriteComplete(DWORD, OPCHANDLE, HRESULT, DWORD count, OPCHANDLE* clientItems,
                                           HRESULT* errors) {
  for (DWORD i = 0; clientItems && errors && i < count; ++i) {
    log_.Add(group_.ItemName(clientItems[i]) + "  written  " + ValueFormat::Hresult(errors[i]));
  }
  return S_OK;
}

HRESULT DataChangePrinter::OnCancelComplete(DWORD, OPCHANDLE) { return S_OK; }

void DataChangePrinter::Print(DWORD count, const OPCHANDLE* clientItems, const VARIANT* values,
                              const WORD* qualities, const FILETIME* times, const HRESULT* errors) {
  if (!clientItems || !values || !qualities || !times || !errors) {
    log_.Fail("OnDataChange came with a null array");
    return;
  }
  for (DWORD i = 0; i < count; ++i) {
    const std::string item = group_.ItemName(clientItems[i]);
    if (FAILED(errors[i])) {
      log_.Add(item + "  error " + ValueFormat::Hresult(errors[i]));
    } else {
      log_.Add(ValueFormat::ItemLine(item, values[i], qualities[i], times[i]));
    }
  }
}
