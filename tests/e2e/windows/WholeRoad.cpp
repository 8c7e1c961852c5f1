#include "WholeRoad.h"

#include "HostIdentity.h"

#include <objbase.h>

namespace WholeRoad {

namespace {
constexpr wchar_t kHostProgram[] = L"vorlix-host.exe";
constexpr wchar_t kDataFile[] = L"whole-road-data.json";

std::wstring CommandLine(const wchar_t* program, const std::wstring& arguments) {
  return L"\"" + ProgramFolder::Beside(program) + L"\" " + arguments;
}
}  // namespace

PROCESS_INFORMATION StartBeside(const wchar_t* program, const std::wstring& arguments) {
  std::wstring line = CommandLine(program, arguments);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    ADD_FAILURE() << "CreateProcess failed: " << GetLastError();
  }
  return process;
}

ProgramRun RunBeside(const wchar_t* program, const std::wstring& arguments, DWORD timeoutMs) {
  ProgramRun run;
  SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE readEnd = nullptr;
  HANDLE writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inheritable, 0)) return run;
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  std::wstring line = CommandLine(program, arguments);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = writeEnd;
  startup.hStdError = writeEnd;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION process{};
  const BOOL started =
      CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
  CloseHandle(writeEnd);
  if (!started) {
    CloseHandle(readEnd);
    ADD_FAILURE() << "CreateProcess failed: " << GetLastError();
    return run;
  }
  // The output is read on a thread of its own, so a full pipe never stalls
  // the program. The reader lives on the heap: a thread that cannot be ended
  // keeps it (and the pipe) for good rather than write into a gone frame.
  struct Reader {
    HANDLE pipe;
    std::string text;
  };
  auto* reader = new Reader{readEnd, {}};
  HANDLE thread = CreateThread(
      nullptr, 0,
      [](LPVOID argument) -> DWORD {
        auto* self = static_cast<Reader*>(argument);
        char buffer[4096];
        DWORD got = 0;
        while (ReadFile(self->pipe, buffer, sizeof buffer, &got, nullptr) && got > 0) self->text.append(buffer, got);
        return 0;
      },
      reader, 0, nullptr);
  if (!thread) ADD_FAILURE() << "CreateThread failed: " << GetLastError();
  run.finished = WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0;
  if (!run.finished) TerminateProcess(process.hProcess, 99);
  GetExitCodeProcess(process.hProcess, &run.exitCode);
  // A process the program started may hold the pipe open (a server COM
  // started inherits nothing, but be safe): the reader gets a moment.
  bool readerEnded = thread == nullptr;
  if (thread) {
    if (WaitForSingleObject(thread, 5000) != WAIT_OBJECT_0) CancelSynchronousIo(thread);
    readerEnded = WaitForSingleObject(thread, 5000) == WAIT_OBJECT_0;
    CloseHandle(thread);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  if (!readerEnded) {
    ADD_FAILURE() << "the output of the program could not be read to its end";
    return run;
  }
  CloseHandle(readEnd);
  for (char c : reader->text) {
    if (c != '\r') run.output += c;
  }
  delete reader;
  return run;
}

bool UnderWine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

bool HostRunning() {
  HANDLE event = OpenEventW(SYNCHRONIZE, FALSE, (std::wstring(kStopEventPrefix) + kProgId).c_str());
  if (!event) return false;
  CloseHandle(event);
  return true;
}

bool WaitForHostToEnd(DWORD timeoutMs) {
  const ULONGLONG until = GetTickCount64() + timeoutMs;
  while (HostRunning()) {
    if (GetTickCount64() > until) return false;
    Sleep(100);
  }
  return true;
}

void ClientTest::SetUp() {
  ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
  const ProgramRun registration = RunBeside(kHostProgram, L"--register \"" + ProgramFolder::Beside(kDataFile) + L"\"");
  ASSERT_TRUE(registration.finished && registration.exitCode == 0) << registration.output;
  const ClientFailure failure = session_.Connect(kProgId);
  ASSERT_FALSE(failure.Failed()) << session_.Describe(failure);
}

void ClientTest::TearDown() {
  session_.Disconnect();
  CoUninitialize();
}

HRESULT ClientTest::WriteItem(const wchar_t* item, const VARIANT& value) {
  ClientGroup group(session_.Server());
  EXPECT_FALSE(group.Add({}).Failed());
  EXPECT_FALSE(group.AddItems({item}).Failed());
  ComPtr<IOPCSyncIO> io = group.Query<IOPCSyncIO>(IID_IOPCSyncIO);
  if (!io) return E_NOINTERFACE;
  if (group.ServerHandles().empty()) return E_FAIL;
  OPCHANDLE handle = group.ServerHandles()[0];
  VARIANT copy;
  VariantInit(&copy);
  VariantCopy(&copy, const_cast<VARIANT*>(&value));
  HRESULT* errors = nullptr;
  HRESULT result = io->Write(1, &handle, &copy, &errors);
  VariantClear(&copy);
  if (SUCCEEDED(result) && errors) result = errors[0];
  CoTaskMemFree(errors);
  return result;
}

OPCITEMSTATE ClientTest::ReadItem(const wchar_t* item, OPCDATASOURCE source) {
  OPCITEMSTATE state{};
  ClientGroup group(session_.Server());
  EXPECT_FALSE(group.Add({}).Failed());
  EXPECT_FALSE(group.AddItems({item}).Failed());
  ComPtr<IOPCSyncIO> io = group.Query<IOPCSyncIO>(IID_IOPCSyncIO);
  if (!io || group.ServerHandles().empty()) return state;
  OPCHANDLE handle = group.ServerHandles()[0];
  OPCITEMSTATE* states = nullptr;
  HRESULT* errors = nullptr;
  EXPECT_EQ(io->Read(source, 1, &handle, &states, &errors), S_OK);
  if (states) state = states[0];
  CoTaskMemFree(states);
  CoTaskMemFree(errors);
  return state;
}

VARIANT Real(double value) {
  VARIANT variant;
  VariantInit(&variant);
  V_VT(&variant) = VT_R8;
  V_R8(&variant) = value;
  return variant;
}

VARIANT Integer(LONG value) {
  VARIANT variant;
  VariantInit(&variant);
  V_VT(&variant) = VT_I4;
  V_I4(&variant) = value;
  return variant;
}

}  // namespace WholeRoad
