#include "HostRegistration.h"

#include "HostIdentity.h"
#include "ProgramFolder.h"
#include "ProxyStubRegistration.h"
#include "Vorlix.h"

#include "platform/widetext.h"

#include <optional>

namespace {

std::wstring HresultText(HRESULT result) {
  wchar_t text[32];
  swprintf(text, 32, L"0x%08lX", static_cast<unsigned long>(result));
  return text;
}

}  // namespace

bool HostRegistration::Register(const HostOptions& options, std::wstring& error) {
  // The DLL is beside the program as built; a host copied without it leaves
  // the interfaces' registration to whoever installed them.
  if (GetFileAttributesW(ProxyStubRegistration::Path().c_str()) != INVALID_FILE_ATTRIBUTES) {
    const HRESULT result = ProxyStubRegistration::Register();
    if (FAILED(result)) {
      error = ProxyStubRegistration::Path() + L": DllRegisterServer failed: " + HresultText(result);
      return false;
    }
  }
  HostOptions started = options;
  if (!started.dataFile.empty()) started.dataFile = ProgramFolder::Absolute(started.dataFile);
  const std::wstring commandLine = QuoteArgument(ProgramFolder::ProgramPath()) + started.ServeArguments();
  const std::optional<std::string> ansiCommand = NarrowAnsi(commandLine);
  const std::optional<std::string> ansiProgId = NarrowAnsi(options.progId);
  if (!ansiCommand || !ansiProgId) {
    error = L"the system's code page cannot hold the command line or the ProgID";
    return false;
  }
  std::string command = *ansiCommand;
  std::string progId = *ansiProgId;
  std::string description = kHostDescription;
  BYTE classId[16];
  std::copy(std::begin(kHostClassIdBytes), std::end(kHostClassIdBytes), classId);
  if (!UpdateRegistry(classId, progId.data(), description.data(), command.data())) {
    error = L"UpdateRegistry failed (no right to write HKEY_CLASSES_ROOT?)";
    return false;
  }
  return true;
}

bool HostRegistration::Unregister(const HostOptions& options, std::wstring& error) {
  const std::optional<std::string> ansiProgId = NarrowAnsi(options.progId);
  if (!ansiProgId) {
    error = L"the system's code page cannot hold the ProgID";
    return false;
  }
  std::string progId = *ansiProgId;
  BYTE classId[16];
  std::copy(std::begin(kHostClassIdBytes), std::end(kHostClassIdBytes), classId);
  if (!UnregisterServer(classId, progId.data())) {
    error = L"UnregisterServer failed: " + options.progId + L" is not registered, or a key could not be removed";
    return false;
  }
  return true;
}
