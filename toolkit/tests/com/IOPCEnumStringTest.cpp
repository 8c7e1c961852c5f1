#include "app/CVorlixApp.h"
#include "com/IOPCEnumString.h"
#include "support/TraceCapture.h"

#include "platform/taskmemory.h"
#include "platform/widetext.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The library with its task allocator, as a started server has it.
class IOPCEnumStringTest : public ::testing::Test {
 protected:
  void SetUp() override {
    IMalloc* malloc = nullptr;
    ASSERT_EQ(CoGetMalloc(MEMCTX_TASK, &malloc), S_OK);
    VorlixApp().SetTaskAllocator(malloc);
    liveBlocks_ = TaskMemoryLiveBlocks();
  }
  void TearDown() override { EXPECT_EQ(TaskMemoryLiveBlocks(), liveBlocks_); }

  static IEnumString* Make(std::vector<std::string> texts) {
    IOPCEnumString* strings = new IOPCEnumString(std::move(texts));
    strings->AddRef();
    return strings;
  }

  // Next for `count` texts into a fresh array; the texts handed out, narrowed and freed.
  static HRESULT Take(IEnumString* strings, ULONG count, std::vector<std::string>* texts, ULONG* fetched) {
    std::vector<LPOLESTR> array(count, nullptr);
    const HRESULT hr = strings->Next(count, array.data(), fetched);
    texts->clear();
    for (LPOLESTR text : array) {
      if (text == nullptr) continue;
      texts->push_back(NarrowAnsi(text).value());
      CoTaskMemFree(text);
    }
    return hr;
  }

 private:
  size_t liveBlocks_ = 0;
};

}  // namespace

TEST_F(IOPCEnumStringTest, NextHandsOutWhatIsLeftAndSaysWhenItFallsShort) {
  IEnumString* strings = Make({"A", "B", "C"});
  std::vector<std::string> texts;
  ULONG fetched = 9;
  EXPECT_EQ(Take(strings, 2, &texts, &fetched), S_OK);
  EXPECT_EQ(texts, (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(fetched, 2u);
  EXPECT_EQ(Take(strings, 2, &texts, &fetched), S_FALSE);
  EXPECT_EQ(texts, (std::vector<std::string>{"C"}));
  EXPECT_EQ(fetched, 1u);
  EXPECT_EQ(Take(strings, 2, &texts, &fetched), S_FALSE);
  EXPECT_EQ(fetched, 0u);

  strings->Reset();
  EXPECT_EQ(Take(strings, 2, &texts, nullptr), E_POINTER);
  EXPECT_EQ(strings->Next(1, nullptr, &fetched), E_POINTER);
  EXPECT_EQ(Take(strings, 0, &texts, &fetched), S_OK);
  EXPECT_EQ(fetched, 0u);
  EXPECT_EQ(Take(strings, 1, &texts, nullptr), S_OK);  // one text needs no count back
  EXPECT_EQ(texts, (std::vector<std::string>{"A"}));
  EXPECT_EQ(strings->Release(), 0u);

  IEnumString* empty = Make({});
  EXPECT_EQ(Take(empty, 1, &texts, nullptr), S_FALSE);
  EXPECT_EQ(empty->Release(), 0u);
}

TEST_F(IOPCEnumStringTest, SkipMovesOnlyWithinTheTextsAndClonesWalkOnTheirOwn) {
  IEnumString* strings = Make({"A", "B", "C"});
  std::vector<std::string> texts;
  EXPECT_EQ(strings->Skip(4), S_FALSE);
  EXPECT_EQ(Take(strings, 1, &texts, nullptr), S_OK);
  EXPECT_EQ(texts, (std::vector<std::string>{"A"}));  // the failed Skip left the position
  EXPECT_EQ(strings->Skip(2), S_OK);
  EXPECT_EQ(Take(strings, 1, &texts, nullptr), S_FALSE);

  strings->Reset();
  ASSERT_EQ(Take(strings, 1, &texts, nullptr), S_OK);
  IEnumString* clone = nullptr;
  EXPECT_EQ(strings->Clone(nullptr), E_INVALIDARG);
  ASSERT_EQ(strings->Clone(&clone), S_OK);
  EXPECT_EQ(Take(clone, 1, &texts, nullptr), S_OK);
  EXPECT_EQ(texts, (std::vector<std::string>{"B"}));
  EXPECT_EQ(Take(clone, 1, &texts, nullptr), S_OK);
  EXPECT_EQ(Take(strings, 1, &texts, nullptr), S_OK);
  EXPECT_EQ(texts, (std::vector<std::string>{"B"}));
  EXPECT_EQ(clone->Release(), 0u);
  EXPECT_EQ(strings->Release(), 0u);
}

TEST_F(IOPCEnumStringTest, OutOfMemoryHandsOutNothingAndKeepsThePosition) {
  IEnumString* strings = Make({"A", "B", "C"});
  ASSERT_EQ(strings->Skip(1), S_OK);
  LPOLESTR array[2] = {nullptr, nullptr};
  ULONG fetched = 9;
  TaskMemoryFailNextAllocations(1);
  EXPECT_EQ(strings->Next(2, array, &fetched), E_OUTOFMEMORY);
  EXPECT_EQ(array[0], nullptr);
  EXPECT_EQ(array[1], nullptr);
  std::vector<std::string> texts;
  EXPECT_EQ(Take(strings, 1, &texts, nullptr), S_OK);
  EXPECT_EQ(texts, (std::vector<std::string>{"B"}));
  EXPECT_EQ(strings->Release(), 0u);
}

TEST_F(IOPCEnumStringTest, CountsItsOwnReferencesAndTracesEachCall) {
  TraceCapture capture;
  IEnumString* strings = Make({"A"});
  void* object = nullptr;
  ASSERT_EQ(strings->QueryInterface(IID_IEnumString, &object), S_OK);
  EXPECT_EQ(object, strings);
  EXPECT_EQ(strings->QueryInterface(IID_IEnumUnknown, &object), E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
  strings->Skip(0);
  strings->Reset();
  EXPECT_EQ(strings->Release(), 1u);
  EXPECT_EQ(strings->Release(), 0u);
  const std::vector<std::string> lines = capture.Texts();
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "IOPCEnumString::AddRef(1)",
                       "IOPCEnumString::QueryInterface IID_IEnumString",
                       "IOPCEnumString::AddRef(2)",
                       "IOPCEnumString::QueryInterface",
                       "IOPCEnumString::Skip",
                       "IOPCEnumString::Reset",
                       "IOPCEnumString::Release(2)",
                       "IOPCEnumString::Release(1)",
                   }));
}
