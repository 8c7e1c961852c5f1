#pragma once

#include <cstdint>

#include <gtest/gtest.h>

#include "platformstandin.h"

// A stand-in serving the given tables on a free loopback port, one per test.
class StartedStandinTest : public ::testing::Test {
protected:
  explicit StartedStandinTest(const char* tables) {
    standin.data().loadJson(tables);
    port = standin.start();
  }

  PlatformStandin standin;
  std::uint16_t port = 0;
};
