// A few seconds of the soak: clients coming and going with every kind of call
// while the host changes tags, then the values, blocks and threads checked.
#include "support/soak/SoakRun.h"

#include <gtest/gtest.h>

TEST(ShortSoak, ClientsComeAndGoWhileTheHostChangesTagsAndEndWithTheTagsValues) {
  SoakSettings settings;
  settings.duration = std::chrono::seconds(3);
  const SoakFigures figures = RunSoak(settings);
  for (const std::string& problem : figures.problems) ADD_FAILURE() << problem;
  EXPECT_EQ(figures.problemCount, 0u);
  EXPECT_EQ(figures.taskBlocksAtEnd, figures.taskBlocksAtStart);
  EXPECT_EQ(figures.threadsAtEnd, figures.threadsAtStart);
  // The run did what it is for: clients were served and values compared.
  EXPECT_GT(figures.clientsServed, 0u);
  EXPECT_GT(figures.valuesCompared, 0u);
}
