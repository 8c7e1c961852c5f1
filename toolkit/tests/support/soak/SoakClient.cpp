#include "support/soak/SoakClient.h"

#include "support/Eventually.h"
#include "support/OpcTestClient.h"
#include "support/ShutdownSink.h"
#include "support/soak/SoakGroup.h"

#include "platform/IEnumUnknown.h"
#include "platform/IOPCBrowseServerAddressSpace.h"
#include "platform/IOPCItemProperties.h"
#include "platform/opcguid.h"
#include "platform/taskmemory.h"
#include "platform/threads.h"
#include "platform/widetext.h"

#include <memory>
#include <string>
#include <vector>

namespace {

constexpr size_t kMostGroups = 4;
constexpr int kStepsOnOrphanedGroups = 3;

enum Leaving { kCleanly, kServerFirst, kGroupsFirst, kRemovedByForce, kWaysToLeave };

void ReadStatus(IOPCServer* opc) {
  OPCSERVERSTATUS* status = nullptr;
  if (SUCCEEDED(opc->GetStatus(&status)) && status != nullptr) {
    CoTaskMemFree(status->szVendorInfo);
    CoTaskMemFree(status);
  }
}

void ListGroups(IOPCServer* opc, std::mt19937& random) {
  IUnknown* unknown = nullptr;
  if (FAILED(opc->CreateGroupEnumerator(random() % 2 == 0 ? OPC_ENUM_ALL : OPC_ENUM_PRIVATE, IID_IEnumUnknown,
                                        &unknown))) {
    return;
  }
  auto* groups = static_cast<IEnumUnknown*>(unknown);
  IUnknown* listed = nullptr;
  while (groups->Next(1, &listed, nullptr) == S_OK) listed->Release();
  groups->Release();
}

// Browses the address space while the host changes it: flat, or into a line.
void Browse(IOPCServer* opc, std::mt19937& random) {
  IOPCBrowseServerAddressSpace* browser = nullptr;
  if (FAILED(opc->QueryInterface(IID_IOPCBrowseServerAddressSpace, reinterpret_cast<void**>(&browser)))) return;
  OPCBROWSETYPE type = OPC_FLAT;
  if (random() % 2 == 0) {
    const WideString line = WidenAnsi("Soak.Line" + std::to_string(random() % 4));
    browser->ChangeBrowsePosition(OPC_BROWSE_TO, line.c_str());
    type = OPC_LEAF;
  }
  IEnumString* names = nullptr;
  if (browser->BrowseOPCItemIDs(type, OLESTR(""), VT_EMPTY, 0, &names) == S_OK) {
    ReadAll(names);
    names->Release();
  }
  browser->Release();
}

// Every property of a tag that may come and go.
void ReadProperties(IOPCServer* opc, std::mt19937& random) {
  IOPCItemProperties* properties = nullptr;
  if (FAILED(opc->QueryInterface(IID_IOPCItemProperties, reinterpret_cast<void**>(&properties)))) return;
  const std::vector<std::string>& names = SoakHost::ItemNames();
  WideString name = WidenAnsi(names[random() % names.size()]);
  DWORD count = 0;
  DWORD* ids = nullptr;
  LPWSTR* descriptions = nullptr;
  VARTYPE* types = nullptr;
  if (properties->QueryAvailableProperties(name.data(), &count, &ids, &descriptions, &types) == S_OK) {
    VARIANT* values = nullptr;
    HRESULT* errors = nullptr;
    if (SUCCEEDED(properties->GetItemProperties(name.data(), count, ids, &values, &errors))) {
      for (DWORD i = 0; i < count; ++i) VariantClear(&values[i]);
    }
    CoTaskMemFree(values);
    CoTaskMemFree(errors);
    for (DWORD i = 0; i < count; ++i) CoTaskMemFree(descriptions[i]);
  }
  CoTaskMemFree(ids);
  CoTaskMemFree(descriptions);
  CoTaskMemFree(types);
  properties->Release();
}

// The server-wide calls a client makes now and then.
void AskTheServer(IOPCServer* opc, std::mt19937& random, SoakTally& tally) {
  ++tally.clientCalls;
  switch (random() % 4) {
    case 0: ReadStatus(opc); break;
    case 1: ListGroups(opc, random); break;
    case 2: Browse(opc, random); break;
    default: ReadProperties(opc, random); break;
  }
}

// Lets go of the server and the groups in one of the ways a client leaves.
void Leave(Leaving way, OpcTestClient& client, const std::vector<std::unique_ptr<SoakGroup>>& groups,
           IConnectionPoint* shutdownPoint, DWORD shutdownCookie) {
  IOPCServer* opc = client.OpcServer();
  switch (way) {
    case kCleanly:
      if (shutdownPoint != nullptr) shutdownPoint->Unadvise(shutdownCookie);
      for (const std::unique_ptr<SoakGroup>& group : groups) {
        group->Unadvise();
        opc->RemoveGroup(group->ServerHandle(), FALSE);
        group->Release();
      }
      client.ReleaseAll();
      break;
    case kServerFirst:
      client.ReleaseAll();
      // Groups that outlive their server still answer, if only with failures.
      for (const std::unique_ptr<SoakGroup>& group : groups) {
        for (int step = 0; step < kStepsOnOrphanedGroups; ++step) group->RandomStep();
        group->Release();
      }
      break;
    case kGroupsFirst:
      for (const std::unique_ptr<SoakGroup>& group : groups) group->Release();
      client.ReleaseAll();
      break;
    default:
      for (const std::unique_ptr<SoakGroup>& group : groups) opc->RemoveGroup(group->ServerHandle(), TRUE);
      client.ReleaseAll();
      for (const std::unique_ptr<SoakGroup>& group : groups) group->Release();
      break;
  }
}

}  // namespace

SoakClient::SoakClient(SoakTally& tally, const SoakHost& host, SoakSchedule& schedule, unsigned seed)
    : tally_(tally), host_(host), schedule_(schedule), random_(seed) {}

bool SoakClient::Live() {
  OpcTestClient client;
  ++tally_.clientCalls;
  IOPCServer* opc = client.Connect() == S_OK ? client.OpcServer() : nullptr;
  if (opc == nullptr) {
    tally_.Problem("a client could not connect");
    // Left for the next session; a pause keeps a failing server from being hammered.
    Sleep(10);
    return false;
  }
  // Half the clients listen for the host's requests to disconnect, and go when asked.
  auto shutdownSink = std::make_unique<ShutdownSink>();
  IConnectionPoint* shutdownPoint = random_() % 2 == 0 ? client.ShutdownPoint() : nullptr;
  DWORD shutdownCookie = 0;
  tally_.clientCalls += 3;
  if (shutdownPoint != nullptr && shutdownPoint->Advise(shutdownSink.get(), &shutdownCookie) != S_OK) {
    tally_.Problem("a shutdown sink could not be advised");
    shutdownPoint = nullptr;
  }
  std::vector<std::unique_ptr<SoakGroup>> groups;
  const auto addGroup = [&] {
    if (groups.size() < kMostGroups) groups.push_back(std::make_unique<SoakGroup>(opc, tally_, random_));
  };
  for (size_t count = 1 + random_() % 2; groups.size() < count;) addGroup();

  const int steps = 50 + static_cast<int>(random_() % 400);
  for (int step = 0; step < steps && schedule_.stage < SoakSchedule::kQuiet && shutdownSink->Requests().empty();
       ++step) {
    const unsigned pick = random_() % 100;
    if (pick < 92) {
      groups[random_() % groups.size()]->RandomStep();
    } else if (pick < 95) {
      addGroup();
    } else if (pick < 96) {
      SoakGroup& group = *groups[random_() % groups.size()];
      ++tally_.clientCalls;
      if (SUCCEEDED(opc->RemoveGroup(group.ServerHandle(), random_() % 2 == 0))) group.MarkRemoved();
    } else {
      AskTheServer(opc, random_, tally_);
    }
    // A client that also waits now and then lives through scans and drains.
    if (random_() % 2 == 0) Sleep(1);
  }

  const bool woundDown = schedule_.stage >= SoakSchedule::kQuiet;
  if (woundDown) {
    ++schedule_.quietClients;
    while (schedule_.stage != SoakSchedule::kChecking) Sleep(1);
    for (const std::unique_ptr<SoakGroup>& group : groups) group->CheckFinalValues(host_);
    // Leaving makes calls too (writes among them): not before every client has checked.
    ++schedule_.checkedClients;
    while (schedule_.stage != SoakSchedule::kLeaving) Sleep(1);
  }

  Leave(static_cast<Leaving>(random_() % kWaysToLeave), client, groups, shutdownPoint, shutdownCookie);
  tally_.clientCalls += groups.size() + 1;
  // Each group now checks that the library let go of its sinks.
  groups.clear();
  if (!Eventually([&] { return shutdownSink->References() == 0; })) {
    tally_.Problem("the library still holds the shutdown sink of a client that went");
    // Never freed, so that no late call reaches freed memory.
    shutdownSink.release();
  }
  ++tally_.clientsServed;
  return woundDown;
}
