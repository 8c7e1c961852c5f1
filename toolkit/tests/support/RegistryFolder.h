// Points the registry store at a fresh, empty folder of its own for as long as
// it lives, so a test never sees another test's keys nor the user's own.
#pragma once

#include <string>

class RegistryFolder {
 public:
  RegistryFolder();
  ~RegistryFolder();
  RegistryFolder(const RegistryFolder&) = delete;
  RegistryFolder& operator=(const RegistryFolder&) = delete;

  const std::string& Path() const { return path_; }

 private:
  std::string path_;
  std::string previous_;
};
