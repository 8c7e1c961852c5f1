#include "TagHashIndex.h"

#include <gtest/gtest.h>

TEST(TagHashIndex, TableSizeIsTheSmallestPrimeFromElevenUp) {
  const struct {
    UINT request;
    UINT size;
  } cases[] = {
      {0, 0},       {5, 0},         {6, 11},        {11, 11},       {12, 13},
      {100, 101},   {120, 127},     {140, 149},     {1000, 1009},   {4096, 4099},
      {65536, 65537}, {4294967280u, 4294967291u}, {4294967292u, 0}, {0xFFFFFFFFu, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(TagHashIndex::TableSizeFor(c.request), c.size) << c.request;
}

TEST(TagHashIndex, HashIsTheUninvertedCrc32) {
  EXPECT_EQ(TagHashIndex::Hash("abc"), 0xCADBBE3Du);
  EXPECT_EQ(TagHashIndex::Hash(""), 0xFFFFFFFFu);
}
