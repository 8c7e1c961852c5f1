#include "support/soak/SoakClient.h"

#include "support/OpcTestClient.h"
#include "support/soak/SoakGroup.h"

#include "platform/IEnumUnknown.h"
#include "platform/opcguid.h"
#include "platform/taskmemory.h"
#include "platform/threads.h"

#include <memory>
#include <vector>

namespace {

constexpr size_t kMostGroups = 4;

enum Leaving { kCleanly, kServerFirst, kGroupsFirst, kRemovedByForce, kWaysToLeave };

// The server-wide calls a client makes now and then.
void AskTheServer(IOPCServer* opc, std::mt19937& random, SoakTally& tally) {
  ++tally.clientCalls;
  if (random() % 2 == 0) {
    OPCSERVERSTATUS* status = nullptr;
    if (SUCCEEDED(opc->GetStatus(&status)) && status != nullptr) {
      CoTaskMemFree(status->szVendorInfo);
      CoTaskMemFree(status);
    }
    return;
  }
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
  std::vector<std::unique_ptr<SoakGroup>> groups;
  const auto addGroup = [&] {
    if (groups.size() < kMostGroups) groups.push_back(std::make_unique<SoakGroup>(opc, tally_, random_));
  };
  for (size_t count = 1 + random_() % 2; groups.size() < count;) addGroup();

  const int steps = 50 + static_cast<int>(random_() % 400);
  for (int step = 0; step < steps && schedule_.stage < SoakSchedule::kQuiet; ++step) {
    const unsigned pick = random_() % 100;
    if (pick < 92) {
      groups[random_() % groups.size()]->RandomStep();
    } else if (pick < 95) {
      addGroup();
    } else if (pick < 97) {
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
  }

  switch (random_() % kWaysToLeave) {
    case kCleanly:
      for (const std::unique_ptr<SoakGroup>& group : groups) {
        group->Unadvise();
        opc->RemoveGroup(group->ServerHandle(), FALSE);
        group->Release();
      }
      client.ReleaseAll();
      break;
    case kServerFirst:
      client.ReleaseAll();
      for (const std::unique_ptr<SoakGroup>& group : groups) group->Release();
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
  tally_.clientCalls += groups.size() + 1;
  // Each group now checks that the library let go of its sinks.
  groups.clear();
  ++tally_.clientsServed;
  return woundDown;
}
