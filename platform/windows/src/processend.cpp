#include "platform/processend.h"

#include "platform/windowsapi.h"

// The loader's own answer, RtlDllShutdownInProgress, which ntdll exports and
// the system's headers do not declare for programs.
bool ProcessIsEnding() {
  typedef BOOLEAN(WINAPI * ShutdownInProgress)();
  static const auto query = reinterpret_cast<ShutdownInProgress>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "RtlDllShutdownInProgress")));
  return query != nullptr && query() != FALSE;
}
