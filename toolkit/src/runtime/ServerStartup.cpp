#include "runtime/ServerStartup.h"

#include "platform/cominit.h"
#include "platform/wintime.h"

CLSID ServerStartup::ClassId() const {
  std::lock_guard<std::mutex> guard(valuesMutex_);
  return classId_;
}

void ServerStartup::SetClassId(const CLSID& classId) {
  std::lock_guard<std::mutex> guard(valuesMutex_);
  classId_ = classId;
}

FILETIME ServerStartup::StartTime() const {
  std::lock_guard<std::mutex> guard(valuesMutex_);
  return startTime_;
}

BOOL ServerStartup::Init(const CLSID& classId, UINT rate) {
  std::lock_guard<std::mutex> guard(lifecycleMutex_);
  if (initialised_) return FALSE;
  SetClassId(classId);
  const bool apartment = apartmentThreaded_;
  const HRESULT com = apartment ? CoInitialize(nullptr) : CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  comInitialised_ = SUCCEEDED(com);
  // Without COM in the model asked for, the timer scans the clients itself, as in apartment mode.
  const UpdateTimer::Job job =
      apartment || !comInitialised_ ? UpdateTimer::Job::ScanClients : UpdateTimer::Job::PulseUpdateEvent;

  IMalloc* allocator = nullptr;
  if (FAILED(CoGetMalloc(MEMCTX_TASK, &allocator))) return FailInit();
  taskMemory_.SetAllocator(allocator);
  {
    std::lock_guard<std::mutex> values(valuesMutex_);
    startTime_ = NowUtc();
  }
  if (!RegisterClassObject(classId) || !timer_.Start(rate, job)) return FailInit();
  initialised_ = true;
  return TRUE;
}

BOOL ServerStartup::FailInit() {
  RevokeRegistration();
  if (comInitialised_) CoUninitialize();
  comInitialised_ = false;
  return FALSE;
}

BOOL ServerStartup::Uninit() {
  std::lock_guard<std::mutex> guard(lifecycleMutex_);
  initialised_ = false;
  workers_.WaitForWorkers();
  if (comInitialised_) CoUninitialize();
  comInitialised_ = false;
  return TRUE;
}

bool ServerStartup::RegisterClassObject(const CLSID& classId) {
  if (registrationCookie_ != 0 && registeredClassId_ == classId) return true;
  RevokeRegistration();
  if (FAILED(CoRegisterClassObject(classId, &factory_, CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE,
                                   &registrationCookie_))) {
    registrationCookie_ = 0;
    return false;
  }
  registeredClassId_ = classId;
  return true;
}

void ServerStartup::RevokeClassObject() {
  std::lock_guard<std::mutex> guard(lifecycleMutex_);
  RevokeRegistration();
}

void ServerStartup::RevokeRegistration() {
  if (registrationCookie_ == 0) return;
  CoRevokeClassObject(registrationCookie_);
  registrationCookie_ = 0;
}
