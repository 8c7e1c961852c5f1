#include "platform/systemmessage.h"

#include "platform/hresult.h"
#include "platform/lasterror.h"

#include <cstring>
#include <string>

namespace {

struct MessageText {
  DWORD id;
  const char* text;
};

constexpr DWORD kFacilityWin32Mask = 0xFFFF0000;
constexpr DWORD kFacilityWin32Errors = 0x80070000;

// Win32 error codes; an HRESULT made from one (0x8007xxxx) has the same text.
constexpr MessageText kWin32Texts[] = {
    {0, "The operation completed successfully."},
    {1, "Incorrect function."},
    {2, "The system cannot find the file specified."},
    {5, "Access is denied."},
    {6, "The handle is invalid."},
    {8, "Not enough memory resources are available to process this command."},
    {14, "Not enough memory resources are available to complete this operation."},
    {50, "The request is not supported."},
    {87, "The parameter is incorrect."},
    {122, "The data area passed to a system call is too small."},
    {158, "The segment is already unlocked."},
    {234, "More data is available."},
    {259, "No more data is available."},
    {1008, "An attempt was made to reference a token that does not exist."},
    {1013, "The configuration registry key could not be written."},
    {1018, "Illegal operation attempted on a registry key that has been marked for deletion."},
    {1332, "No mapping between account names and security IDs was done."},
    {1722, "The RPC server is unavailable."},
};

// COM and OLE HRESULTs. The connection-point codes have no system text.
constexpr MessageText kHResultTexts[] = {
    {0x80004001, "Not implemented"},
    {0x80004002, "No such interface supported"},
    {0x80004003, "Invalid pointer"},
    {0x80004004, "Operation aborted"},
    {0x80004005, "Unspecified error"},
    {0x8000FFFF, "Catastrophic failure"},
    {0x80010007,
     "The callee (server [not server application]) is not available and disappeared; all connections are invalid. "
     "The call may have executed."},
    {0x80010106, "Cannot change thread mode after it is set."},
    {0x80010108, "The object invoked has disconnected from its clients."},
    {0x80020001, "Unknown interface."},
    {0x80020005, "Type mismatch."},
    {0x80020008, "Bad variable type."},
    {0x8002000A, "Out of present range."},
    {0x8002000B, "Invalid index."},
    {0x8002000D, "Memory is locked."},
    {0x80040003, "This implementation doesn't take advises"},
    {0x80040004, "There is no connection for this connection ID"},
    {0x80040064, "Invalid FORMATETC structure"},
    {0x80040068, "Invalid lindex"},
    {0x80040069, "Invalid tymed"},
    {0x8004006B, "Invalid aspect"},
    {0x80040110, "Class does not support aggregation (or class object is remote)"},
    {0x80040111, "ClassFactory cannot supply requested class"},
    {0x80040154, "Class not registered"},
    {0x800401F0, "CoInitialize has not been called."},
    {0x800401FB, "Object is not registered"},
};

template <size_t N>
const char* FindIn(const MessageText (&table)[N], DWORD id) {
  for (const MessageText& entry : table) {
    if (entry.id == id) return entry.text;
  }
  return nullptr;
}

const char* FindText(DWORD messageId) {
  if ((messageId & kFacilityWin32Mask) == kFacilityWin32Errors) return FindIn(kWin32Texts, messageId & 0xFFFF);
  return messageId <= 0xFFFF ? FindIn(kWin32Texts, messageId) : FindIn(kHResultTexts, messageId);
}

DWORD Fail(DWORD error) {
  SetLastError(error);
  return 0;
}

}  // namespace

DWORD FormatMessageA(DWORD flags, LPCVOID, DWORD messageId, DWORD, LPSTR buffer, DWORD size, va_list*) {
  const DWORD otherSources = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_FROM_HMODULE;
  if (!(flags & FORMAT_MESSAGE_FROM_SYSTEM) || (flags & otherSources) || buffer == nullptr) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  const char* text = FindText(messageId);
  if (text == nullptr) return Fail(ERROR_MR_MID_NOT_FOUND);
  const std::string line = std::string(text) + "\r\n";
  if (line.size() + 1 > size) return Fail(ERROR_INSUFFICIENT_BUFFER);
  std::memcpy(buffer, line.c_str(), line.size() + 1);
  return static_cast<DWORD>(line.size());
}
