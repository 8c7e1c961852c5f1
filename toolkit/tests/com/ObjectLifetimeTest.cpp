#include "com/ObjectLifetime.h"
#include "support/TraceCapture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

TEST(ObjectLifetime, AReleaseBeyondTheLastReferenceTakesNothingAway) {
  ObjectLifetime life("Thing", 1);
  TraceCapture capture;
  EXPECT_EQ(life.AddRef(), 1);
  EXPECT_EQ(life.Release(), 1);  // the count before
  EXPECT_EQ(life.Release(), 0);
  EXPECT_EQ(life.Release(), 0);
  EXPECT_EQ(life.References(), 0);
  const auto lines = capture.Lines();
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0].text, "Thing::AddRef(1)");
  EXPECT_EQ(lines[1].text, "Thing::Release(1)");
  EXPECT_EQ(lines[3].text, "Thing::Release(0)");
  // The pin it was made with is still there, and is the last.
  life.Pin();
  EXPECT_FALSE(life.Unpin());
  EXPECT_TRUE(life.Unpin());
}

TEST(ObjectLifetime, AnOwnerThatWaitsGoesOnOnlyOnceTheLastOtherPinIsGone) {
  ObjectLifetime life("Thing", 1);  // the owner's pin
  life.Pin();                       // a walk's
  std::atomic<bool> ownerDone{false};
  std::thread owner([&] {
    life.UnpinAndWait();
    ownerDone = true;
  });
  // Room for the owner to reach its wait; it cannot pass it while the walk pins.
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_FALSE(ownerDone);
  life.Unpin();
  owner.join();
  EXPECT_TRUE(ownerDone);
}
