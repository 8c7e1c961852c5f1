// Nothing thrown inside the library reaches its callers: when memory runs out
// an export answers its failure value and a COM method E_OUTOFMEMORY, and the
// library goes on working.
#include "app/CVorlixApp.h"
#include "support/ConnectedClient.h"
#include "support/EventLog.h"
#include "support/FreeStoreFaults.h"
#include "support/HostCalls.h"
#include "support/OpcTestGroup.h"

#include "platform/opcguid.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Makes the library call `call` once for every allocation it makes, that one
// failing, and hands each answer to `check`; ends at the first run in which
// no allocation failed. The number of runs that had one fail.
template <class Call, class Check>
int RunWithEachAllocationFailing(Call call, Check check) {
  for (long successes = 0;; ++successes) {
    const std::string name = "Run" + std::to_string(successes);
    FailFreeStoreAllocationAfter(successes);
    const auto answer = call(name);
    const bool failed = !FreeStoreFailurePending();
    check(answer, name);
    if (!failed) return static_cast<int>(successes);
  }
}

}  // namespace

TEST(CallBoundary, ExportsAnswerTheirFailureValueWhenMemoryRunsOut) {
  std::string lastCreated;
  const int runs = RunWithEachAllocationFailing(
      [](const std::string& name) {
        return CreateTag(std::string("Plant." + name + ".Tag").data(), MakeR8(1.0), OPC_QUALITY_GOOD, TRUE);
      },
      [&](DWORD tag, const std::string& name) {
        if (tag != VORLIX_INVALID_TAG) lastCreated = "Plant." + name + ".Tag";
      });
  EXPECT_GT(runs, 0);
  ASSERT_FALSE(lastCreated.empty());
  // An update by name takes no memory from the free store: no allocation of
  // it can fail, and it succeeds at once.
  EXPECT_EQ(RunWithEachAllocationFailing(
                [&](const std::string&) {
                  return UpdateTagByName(std::string(lastCreated).data(), MakeR8(2.0), OPC_QUALITY_GOOD);
                },
                [](BOOL updated, const std::string&) { EXPECT_TRUE(updated); }),
            0);
  // The library is whole afterwards.
  const DWORD tag = NewTag("Plant.After");
  EXPECT_NE(tag, VORLIX_INVALID_TAG);
  EXPECT_TRUE(UpdateTag(tag, MakeR8(3.0), OPC_QUALITY_GOOD));
  EXPECT_EQ(Validate("Plant", "After"), S_OK);
  EXPECT_EQ(Validate("", lastCreated), S_OK);
}

TEST(CallBoundary, AnEventWithMoreAttributesThanMemoryHoldsIsRefused) {
  EventLog events;
  VARIANT attribute = MakeI4(1);
  ONEVENTSTRUCT event{};
  event.dwNumEventAttrs = 0xFFFFFFFF;
  event.pEventAttributes = &attribute;
  EXPECT_FALSE(UserAEMessageEx(event));
  EXPECT_FALSE(UserAEMessageEx2(0, event, FALSE, FALSE));
  event.dwNumEventAttrs = 1;
  EXPECT_TRUE(UserAEMessageEx(event));
  EXPECT_EQ(events.Size(), 1u);
}

TEST(CallBoundary, ComMethodsAnswerOutOfMemoryWhenMemoryRunsOut) {
  ConnectedClient connected{100};
  ASSERT_TRUE(connected.Ready());
  NewTag("T");
  struct Added {
    HRESULT hr;
    IUnknown* group;
    OPCHANDLE handle;
  };
  const int runs = RunWithEachAllocationFailing(
      [&](const std::string& name) {
        Added added{E_FAIL, nullptr, 0};
        DWORD revised = 0;
        const WideString wide(name.begin(), name.end());
        added.hr = connected.opc->AddGroup(wide.c_str(), TRUE, 100, 0, nullptr, nullptr, 0, &added.handle, &revised,
                                           IID_IOPCItemMgt, &added.group);
        return added;
      },
      [&](const Added& added, const std::string& name) {
        if (added.hr != S_OK) {
          // A group whose interface holder cannot be made refuses the interface.
          EXPECT_TRUE(added.hr == E_OUTOFMEMORY || added.hr == E_NOINTERFACE) << name << " " << added.hr;
          EXPECT_EQ(added.group, nullptr) << name;
          return;
        }
        added.group->Release();
        EXPECT_EQ(connected.opc->RemoveGroup(added.handle, FALSE), S_OK) << name;
      });
  EXPECT_GT(runs, 0);

  OpcTestGroup group(connected.opc, "After");
  ASSERT_EQ(group.Added(), S_OK);
  EXPECT_EQ(group.AddItems({{"T"}}).hr, S_OK);
}
