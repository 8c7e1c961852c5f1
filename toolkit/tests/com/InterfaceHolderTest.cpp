#include "com/HolderSlot.h"
#include "com/InterfaceHolder.h"
#include "support/TraceCapture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

struct ITestThing : public IUnknown {
  virtual int Ping() = 0;

 protected:
  ~ITestThing() = default;
};

// An owner that answers every QueryInterface with itself and counts references.
class CountingOwner : public IUnknown {
 public:
  HRESULT QueryInterface(REFIID, void** object) override {
    *object = this;
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return ++references; }
  ULONG Release() override { return --references; }

  std::atomic<ULONG> references{0};
};

std::atomic<int> holdersMade{0};
std::atomic<int> holdersDeleted{0};

class TestThingHolder final : public InterfaceHolder<ITestThing, CountingOwner> {
 public:
  explicit TestThingHolder(CountingOwner& owner, const char* queryGap = "  ")
      : InterfaceHolder(owner, "ITestThing", "TestOwner", queryGap) {
    ++holdersMade;
  }
  ~TestThingHolder() override { ++holdersDeleted; }
  int Ping() override { return 7; }
};

}  // namespace

TEST(InterfaceHolder, TracesEachCallAndDefersToItsOwner) {
  CountingOwner owner;
  TestThingHolder holder(owner);
  TestThingHolder narrowHolder(owner, " ");
  TraceCapture capture;
  EXPECT_EQ(holder.AddRef(), 1u);
  void* object = nullptr;
  EXPECT_EQ(holder.QueryInterface(IID_IUnknown, &object), S_OK);
  EXPECT_EQ(object, &owner);
  EXPECT_EQ(holder.Release(), 1u);
  EXPECT_EQ(narrowHolder.QueryInterface(IID_IUnknown, &object), S_OK);
  EXPECT_EQ(owner.references, 2u);

  const auto lines = capture.Lines();
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0].text, "ITestThing::AddRef() [defered to TestOwner]");
  EXPECT_EQ(lines[1].text, "ITestThing::QueryInterface()  [defered to TestOwner]");
  EXPECT_EQ(lines[2].text, "ITestThing::Release() [defered to TestOwner]");
  EXPECT_EQ(lines[3].text, "ITestThing::QueryInterface() [defered to TestOwner]");
}

TEST(HolderSlot, MakesOneHolderOnFirstRequestAndDeletesItWithTheSlot) {
  holdersMade = 0;
  holdersDeleted = 0;
  CountingOwner owner;
  {
    HolderSlot slot;
    EXPECT_EQ(slot.Get([]() -> InterfaceHolderBase* { return nullptr; }), nullptr);  // no memory: nothing kept
    IUnknown* first = slot.Get([&] { return new TestThingHolder(owner); });
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(static_cast<ITestThing*>(first)->Ping(), 7);
    EXPECT_EQ(slot.Get([&] { return new TestThingHolder(owner); }), first);
    EXPECT_EQ(holdersMade, 1);
  }
  EXPECT_EQ(holdersDeleted, 1);
}

TEST(HolderSlot, ConcurrentFirstRequestsKeepOneHolder) {
  holdersMade = 0;
  holdersDeleted = 0;
  CountingOwner owner;
  {
    HolderSlot slot;
    std::vector<IUnknown*> got(8, nullptr);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < got.size(); ++i) {
      threads.emplace_back([&, i] { got[i] = slot.Get([&] { return new TestThingHolder(owner); }); });
    }
    for (std::thread& thread : threads) thread.join();
    for (IUnknown* holder : got) EXPECT_EQ(holder, got[0]);
    EXPECT_EQ(holdersDeleted, holdersMade - 1);
  }
  EXPECT_EQ(holdersDeleted, holdersMade.load());
}
