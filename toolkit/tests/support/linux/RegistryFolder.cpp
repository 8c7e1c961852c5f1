#include "support/RegistryFolder.h"

#include "platform/registrystore.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <unistd.h>

namespace {
constexpr char kFolderVariable[] = "ZELVO_REGISTRY_DIR";
}  // namespace

RegistryFolder::RegistryFolder() {
  // The test run names a folder in the build tree; a new subfolder of it keeps each test apart.
  const char* configured = std::getenv(kFolderVariable);
  previous_ = configured != nullptr ? configured : "";
  const std::filesystem::path base =
      previous_.empty() ? std::filesystem::temp_directory_path() : std::filesystem::path(previous_);
  std::filesystem::create_directories(base);
  std::string pattern = (base / "test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make a registry folder in " + base.string());
  path_ = pattern;
  ::setenv(kFolderVariable, path_.c_str(), 1);
  RegistryStore::Instance().Reset();
}

RegistryFolder::~RegistryFolder() {
  RegistryStore::Instance().Reset();
  if (previous_.empty()) {
    ::unsetenv(kFolderVariable);
  } else {
    ::setenv(kFolderVariable, previous_.c_str(), 1);
  }
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}
