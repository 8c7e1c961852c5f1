// The running host: the toolkit's OPC server with the data file's tags, a
// message loop on the main thread (the one-second simulation step and the
// lifetime checks), and an orderly end: the shutdown request to every client,
// then UninitVarnOPCsvr.
//
// It ends when told to (the stop event that `vorlix-host --stop` sets, or
// Ctrl+C), and, when COM started it, once no client has been connected for
// kIdleMs (kFirstClientMs if none ever came).
#pragma once

#include "HostOptions.h"
#include "HostTags.h"

#include <windows.h>

#include <atomic>
#include <string>

class HostServer {
 public:
  static constexpr DWORD kServerRateMs = 50;
  static constexpr ULONGLONG kIdleMs = 2000;
  static constexpr ULONGLONG kFirstClientMs = 60000;
  static constexpr UINT kStepMs = 1000;

  explicit HostServer(const HostOptions& options) : options_(options) {}
  HostServer(const HostServer&) = delete;
  HostServer& operator=(const HostServer&) = delete;

  // Serves until the end; the process's exit code.
  int Run();

  // The stop event's name for a ProgID: `vorlix-host --stop` sets it.
  static std::wstring StopEventName(const std::wstring& progId);
  // Sets the stop event of a running host. False when none runs.
  static bool StopRunningHost(const std::wstring& progId);

 private:
  static void CALLBACK OnWrite(DWORD tag, VARIANT* value, DWORD* result, char* user);
  static void CALLBACK OnDeviceRead(DWORD tag, VARIANT* value, WORD* quality, FILETIME* timestamp);
  static void CALLBACK OnDisconnect(DWORD clients);
  static BOOL WINAPI OnConsoleControl(DWORD control);

  bool Start();
  void Loop();
  void Step();
  bool LifetimeOver() const;

  static HostServer* running_;

  const HostOptions options_;
  HostTags tags_;
  DWORD mainThread_ = 0;
  HANDLE stopEvent_ = nullptr;
  unsigned step_ = 0;
  ULONGLONG startedAt_ = 0;
  std::atomic<ULONGLONG> lastClientSeen_{0};
  std::atomic<bool> servedAClient_{false};
};
