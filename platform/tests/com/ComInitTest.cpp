#include "platform/cominit.h"

#include <gtest/gtest.h>

#include <thread>

TEST(ComInit, EachThreadCountsItsOwnInitialisationsInOneModel) {
  EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
  EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED | COINIT_SPEED_OVER_MEMORY), S_FALSE);
  EXPECT_EQ(CoInitialize(nullptr), RPC_E_CHANGED_MODE);  // not counted
  std::thread([] {
    EXPECT_EQ(CoInitialize(nullptr), S_OK);
    CoUninitialize();
  }).join();
  CoUninitialize();
  EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), RPC_E_CHANGED_MODE);
  CoUninitialize();
  CoUninitialize();  // one too many: nothing happens
  EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
  CoUninitialize();
}

TEST(ComInit, ReservedArgumentMustBeNull) {
  int reserved = 0;
  EXPECT_EQ(CoInitializeEx(&reserved, COINIT_MULTITHREADED), E_INVALIDARG);
  EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
  CoUninitialize();
}
