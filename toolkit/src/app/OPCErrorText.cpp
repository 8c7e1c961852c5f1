#include "app/OPCErrorText.h"

#include "platform/opcda.h"
#include "platform/systemmessage.h"

#include <cstdio>

namespace {

struct ErrorText {
  HRESULT code;
  const char* text;
};

constexpr ErrorText kOPCErrorTexts[] = {
    {OPC_E_INVALIDHANDLE, "OPC_E_INVALIDHANDLE: An invalid handle was passed"},
    {OPC_E_DUPLICATENAME, "OPC_E_DUPLICATENAME: A duplicate parameter was passed where one is not allowed"},
    {OPC_E_BADTYPE,
     "OPC_E_BADTYPE: The server cannot convert between the passed or requested data type and the canonical type"},
    {OPC_E_PUBLIC, "OPC_E_PUBLIC: The requested operation cannot be done on a public group"},
    {OPC_E_BADRIGHTS, "OPC_E_BADRIGHTS: The item's AccessRights do not allow the operation"},
    {OPC_E_UNKNOWNITEMID, "OPC_E_UNKNOWNITEMID: The item definition does not exist within the servers address space"},
    {OPC_E_INVALIDITEMID, "OPC_E_INVALIDITEMID: The item definition does not conform to the server's syntax"},
    {OPC_E_INVALIDFILTER, "OPC_E_INVALIDFILTER: The filter string is not valid"},
    {OPC_E_UNKNOWNPATH, "OPC_E_UNKNOWNPATH: The item's access path is not known to the server"},
    {OPC_E_RANGE, "OPC_E_RANGE: The value passed to WRITE was out of range"},
    {OPC_S_UNSUPPORTEDRATE,
     "OPC_S_UNSUPPORTEDRATE: The server does not support the requested rate, but will use the closest available"},
    {OPC_S_CLAMP, "OPC_S_CLAMP: A value passed to WRITE was accepted, but was clamped"},
    {OPC_S_INUSE, "OPC_S_INUSE: The operation cannot be completed because the object still has references that exist"},
    {OPC_E_INVALIDCONFIGFILE, "OPC_E_INVALIDCONFIGFILE: The server's configuration file is an invalid format"},
    {OPC_E_NOTFOUND, "OPC_E_NOTFOUND: The server could not locate the requested object"},
    {OPC_E_INVALID_PID, "OPC_E_INVALID_PID: The server does not recognise the passed property ID."},
};

// Room for 127 characters and the terminating zero.
constexpr DWORD kTextBufferSize = 128;

}  // namespace

std::string OPCErrorText(HRESULT code) {
  for (const ErrorText& entry : kOPCErrorTexts) {
    if (entry.code == code) return entry.text;
  }
  char buffer[kTextBufferSize];
  if (FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, static_cast<DWORD>(code), 0,
                     buffer, kTextBufferSize, nullptr) != 0) {
    return buffer;
  }
  std::snprintf(buffer, kTextBufferSize, "<unknown error: 0x%08X %d>", static_cast<unsigned>(code), static_cast<int>(code));
  return buffer;
}
