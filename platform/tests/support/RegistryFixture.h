// Gives every test an empty registry folder of its own and a freshly reset store.
#pragma once

#include "platform/registry.h"
#include "platform/registrystore.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

class RegistryFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "registry-test-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
    ::setenv("ZELVO_REGISTRY_DIR", folder_.c_str(), 1);
    RegistryStore::Instance().Reset();
  }

  void TearDown() override {
    RegistryStore::Instance().Reset();
    std::filesystem::remove_all(folder_);
  }

  // Creates the key with all rights; the test fails if it cannot.
  HKEY Create(HKEY root, const char* path) {
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExA(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS)
        << path;
    return key;
  }

  LSTATUS SetText(HKEY key, const char* name, const std::string& text) {
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>(text.size() + 1));
  }

  // The REG_SZ value as text, or "error N".
  std::string GetText(HKEY key, const char* subKey, const char* name) {
    char buffer[512] = {};
    DWORD size = sizeof buffer;
    const LSTATUS status = RegGetValueA(key, subKey, name, RRF_RT_REG_SZ, nullptr, buffer, &size);
    return status == ERROR_SUCCESS ? std::string(buffer) : "error " + std::to_string(status);
  }

  std::string FileText(const char* rootFile) {
    std::ifstream in(folder_ + "/" + rootFile, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }

  std::string folder_;
};
