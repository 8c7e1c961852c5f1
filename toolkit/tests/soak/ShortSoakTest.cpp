// A few seconds of the soak: clients coming and going with every kind of call
// while the host changes tags, then the values, blocks and threads checked.
#include "support/soak/SoakRun.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

TEST(ShortSoak, ClientsComeAndGoWhileTheHostChangesTagsAndEndWithTheTagsValues) {
  SoakSettings settings;
  settings.duration = std::chrono::seconds(3);
  settings.seed = std::random_device()();
  SCOPED_TRACE("seed " + std::to_string(settings.seed));
  const SoakFigures figures = RunSoak(settings);
  for (const std::string& problem : figures.problems) ADD_FAILURE() << problem;
  EXPECT_EQ(figures.problemCount, 0u);
  EXPECT_EQ(figures.taskBlocksAtEnd, figures.taskBlocksAtStart);
  EXPECT_EQ(figures.threadsAtEnd, figures.threadsAtStart);
  // The run did what it is for: clients were served and values compared.
  EXPECT_GT(figures.clientsServed, 0u);
  EXPECT_GT(figures.valuesCompared, 0u);
}
