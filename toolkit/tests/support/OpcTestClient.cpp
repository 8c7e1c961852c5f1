#include "support/OpcTestClient.h"

#include "platform/IConnectionPointContainer.h"
#include "platform/IOPCEventServer.h"
#include "platform/classobject.h"
#include "platform/cominit.h"
#include "platform/opcguid.h"
#include "platform/taskmemory.h"
#include "platform/widetext.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>

namespace {

// A class identifier of this test process's own. Under real COM a server's
// class object registered for local use is seen by every process of the
// system: test processes running side by side must not find one another's.
CLSID MakeTestServerClassId() {
  CLSID classId = {0x5A3C0E11, 0x7D21, 0x4B8E, {0x9F, 0x10, 0x2C, 0x64, 0, 0, 0, 0}};
  const uint32_t own = std::random_device()();
  std::memcpy(&classId.Data4[4], &own, sizeof own);
  return classId;
}

}  // namespace

const CLSID kTestServerClassId = MakeTestServerClassId();

LONG ReferenceCount(IUnknown* object) {
  object->AddRef();
  return static_cast<LONG>(object->Release());
}

OpcTestClient::OpcTestClient(const CLSID& serverClass)
    : serverClass_(serverClass), comInitialised_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {}

OpcTestClient::~OpcTestClient() {
  ReleaseAll();
  if (comInitialised_) CoUninitialize();
}

HRESULT OpcTestClient::Connect(REFIID iid) {
  void* object = nullptr;
  const HRESULT hr = AsClient([&] { return CoCreateInstance(serverClass_, nullptr, CLSCTX_ALL, iid, &object); });
  if (SUCCEEDED(hr)) held_.push_back(static_cast<IUnknown*>(object));
  return hr;
}

HRESULT OpcTestClient::Query(REFIID iid, void** object) {
  if (Server() == nullptr) return E_POINTER;
  const HRESULT hr = AsClient([&] { return Server()->QueryInterface(iid, object); });
  if (SUCCEEDED(hr)) held_.push_back(static_cast<IUnknown*>(*object));
  return hr;
}

IOPCServer* OpcTestClient::OpcServer() {
  if (opcServer_ == nullptr && Query(IID_IOPCServer, &opcServer_) != S_OK) opcServer_ = nullptr;
  return opcServer_;
}

IConnectionPoint* OpcTestClient::ShutdownPoint() { return ConnectionPointOf(Server(), IID_IOPCShutdown); }

IConnectionPoint* OpcTestClient::EventPoint(IUnknown* subscription) {
  return ConnectionPointOf(subscription, IID_IOPCEventSink);
}

IConnectionPoint* OpcTestClient::ConnectionPointOf(IUnknown* object, REFIID sinkIid) {
  if (object == nullptr) return nullptr;
  void* container = nullptr;
  if (FAILED(AsClient([&] { return object->QueryInterface(IID_IConnectionPointContainer, &container); }))) {
    return nullptr;
  }
  held_.push_back(static_cast<IUnknown*>(container));
  IConnectionPoint* point = nullptr;
  if (FAILED(AsClient([&] {
        return static_cast<IConnectionPointContainer*>(container)->FindConnectionPoint(sinkIid, &point);
      }))) {
    return nullptr;
  }
  held_.push_back(point);
  return point;
}

ULONG OpcTestClient::ReleaseAll() {
  opcServer_ = nullptr;
  ULONG last = 0;
  while (!held_.empty()) {
    IUnknown* object = held_.back();
    held_.pop_back();
    last = AsClient([&] { return object->Release(); });
  }
  return last;
}

ULONG OpcTestClient::Release(IUnknown* object) {
  const auto entry = std::find(held_.begin(), held_.end(), object);
  if (entry == held_.end()) return 0;
  held_.erase(entry);
  if (object == opcServer_) opcServer_ = nullptr;
  return AsClient([&] { return object->Release(); });
}

HRESULT OpcTestClient::CreateEventSubscription(REFIID iid, IUnknown** subscription, OPCHANDLE clientHandle,
                                               BOOL active) {
  IOPCEventServer* eventServer = nullptr;
  const HRESULT found = Query(IID_IOPCEventServer, &eventServer);
  if (FAILED(found)) return found;
  DWORD bufferTime = 0;
  DWORD maxSize = 0;
  const HRESULT hr = AsClient([&] {
    return eventServer->CreateEventSubscription(active, 1000, 100, clientHandle, iid, subscription, &bufferTime,
                                                &maxSize);
  });
  Release(eventServer);
  if (SUCCEEDED(hr)) held_.push_back(*subscription);
  return hr;
}

std::vector<std::string> ReadAll(IEnumString* strings) {
  std::vector<std::string> texts;
  LPOLESTR text = nullptr;
  while (strings->Next(1, &text, nullptr) == S_OK) {
    texts.push_back(NarrowAnsi(text).value());
    CoTaskMemFree(text);
  }
  return texts;
}
