// Start-up and shut-down of the OPC server inside its host: COM on the host's
// thread, the task allocator, the start time, the class object clients reach,
// and the update timer. InitVarnOPCsvr and UninitVarnOPCsvr land here.
//
// The class object is registered once; an Init after an Uninit reuses that
// registration and re-arms the one update timer with the new rate.
#pragma once

#include "app/TaskMemory.h"
#include "runtime/ClientWorkers.h"
#include "runtime/OPCClassFactory.h"
#include "runtime/UpdateTimer.h"

#include "platform/guid.h"

#include <atomic>
#include <memory>
#include <mutex>

class ServerStartup {
 public:
  ServerStartup(TaskMemory& taskMemory, UpdateTimer& timer, ClientWorkers& workers)
      : taskMemory_(taskMemory), timer_(timer), workers_(workers) {}
  ServerStartup(const ServerStartup&) = delete;
  ServerStartup& operator=(const ServerStartup&) = delete;

  // Read by Init: apartment-threaded COM, and the scan on the timer's thread.
  void SetApartmentThreaded(bool apartmentThreaded) { apartmentThreaded_ = apartmentThreaded; }

  // Between Init and Uninit; clients can connect only then.
  bool Initialised() const { return initialised_.load(); }

  // The class identifier the server registers under; the registration stores it too.
  CLSID ClassId() const;
  void SetClassId(const CLSID& classId);
  // When the server was last started (UTC); zero before.
  FILETIME StartTime() const;

  // Starts the server with the class identifier and the rate (at least 10 ms).
  // FALSE when it runs already, or when the task allocator, the class
  // registration or the timer cannot be had; then COM is given back.
  BOOL Init(const CLSID& classId, UINT rate);
  // Refuses new clients, waits (within the workers' wait limit) for the
  // connected ones to go, and gives COM back when Init took it. TRUE.
  BOOL Uninit();

  // Takes the class object out of the table for good.
  void RevokeClassObject();

 private:
  // Registers the factory under the class identifier, unless it is registered
  // there already. The caller holds lifecycleMutex_, as for the two below.
  bool RegisterClassObject(const CLSID& classId);
  void RevokeRegistration();
  // Undoes what a failed Init did; FALSE.
  BOOL FailInit();

  TaskMemory& taskMemory_;
  UpdateTimer& timer_;
  ClientWorkers& workers_;
  std::atomic<bool> apartmentThreaded_{false};
  std::atomic<bool> initialised_{false};
  // Serialises Init and Uninit.
  std::mutex lifecycleMutex_;
  bool comInitialised_ = false;
  OPCClassFactory factory_;
  DWORD registrationCookie_ = 0;
  CLSID registeredClassId_ = GUID_NULL;
  mutable std::mutex valuesMutex_;
  CLSID classId_ = GUID_NULL;
  FILETIME startTime_ = {0, 0};
};
