// What the whole-road tests share: the host registered as the local server of
// its ProgID with the tests' data file (COM starts it when a test connects),
// child processes with a time limit, and waits that never hang.
#pragma once

#include "ArrivalLog.h"
#include "ClientGroup.h"
#include "OpcSession.h"
#include "ProgramFolder.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace WholeRoad {

inline constexpr wchar_t kProgId[] = L"ZelvoOPCServer";
// The longest any wait for the other process takes before the test fails.
inline constexpr DWORD kPatienceMs = 20000;

// The tests' data file and what it holds.
inline constexpr wchar_t kTemp[] = L"P1.Analog.Temp";      // VT_R4 21.5, alarms at 0 and 100
inline constexpr wchar_t kLevel[] = L"P1.Analog.Level";    // VT_I4 400, alarms at 0 and 1000
inline constexpr wchar_t kFlow[] = L"P1.Analog.Flow";      // VT_UI4 120
inline constexpr wchar_t kSpeed[] = L"P1.Analog.Speed";    // VT_I2 1500
inline constexpr wchar_t kFixed[] = L"P1.Analog.Fixed";    // VT_I4 77, read-only
inline constexpr wchar_t kOutletTemp[] = L"P1.Analog.出水温度"; // VT_R4 18.5: a name in code page 936
inline constexpr wchar_t kPump[] = L"P1.Switch.Pump";      // VT_BOOL true
inline constexpr wchar_t kStarts[] = L"P2.Counter.Starts"; // VT_UI2 12, box offline: bad quality

struct ProgramRun {
  DWORD exitCode = 0xFFFFFFFF;
  std::string output;
  bool finished = false;
};
// Runs a program beside this one with the arguments and waits at most
// `timeoutMs` for it (ending it if it has not finished by then).
ProgramRun RunBeside(const wchar_t* program, const std::wstring& arguments, DWORD timeoutMs = kPatienceMs);

// Starts a program beside this one without waiting; the caller ends it.
PROCESS_INFORMATION StartBeside(const wchar_t* program, const std::wstring& arguments);

// Whether this process runs under Wine rather than Windows (where the two
// differ, the tests expect each its own answer).
bool UnderWine();

// Whether a host of the ProgID runs now (its stop event exists).
bool HostRunning();
// Waits up to `timeoutMs` for the running host to end.
bool WaitForHostToEnd(DWORD timeoutMs);

// A client process: COM in the multithreaded apartment, the host registered
// with the tests' data file, and a session with the server COM gives.
class ClientTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A synchronous write of one item; the item's error.
  HRESULT WriteItem(const wchar_t* item, const VARIANT& value);
  // The item's value, quality and time from a synchronous cache read.
  OPCITEMSTATE ReadItem(const wchar_t* item, OPCDATASOURCE source = OPC_DS_CACHE);

  OpcSession session_;
};

VARIANT Real(double value);
VARIANT Integer(LONG value);

}  // namespace WholeRoad
