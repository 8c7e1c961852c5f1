// The registry entries under HKEY_CLASSES_ROOT through which COM clients find
// the host as the local server of one OPC server class: its ProgID, class and
// application identifiers, executable and the OPC component categories it
// implements. Texts are written whole, however long.
#pragma once

#include "platform/guid.h"

#include <string>

class ServerRegistration {
 public:
  explicit ServerRegistration(const CLSID& clsid);

  // Writes (or rewrites) every key and value of the registration. False for an
  // empty ProgID, which would name the root itself, and at the first key or
  // value that cannot be written; the ones written before stay. A category key
  // that cannot be created is left out without failing the registration.
  bool Register(const std::string& progId, const std::string& description, const std::string& exePath) const;

  // Sets "LocalService" to the service name and "ServiceParameters" to
  // "-Service" under the class's application key. Both are attempted; true
  // when both were written, false also when the key does not exist.
  bool AddLocalServiceKeys(const std::string& serviceName) const;

  // Removes what Register and AddLocalServiceKeys wrote. It stops where a key
  // that leads to the next ones cannot be opened, so an unregistered ProgID
  // touches nothing. True only when every key it should delete is gone; a key
  // that gained subkeys stays and makes it false.
  bool Unregister(const std::string& progId) const;

 private:
  std::string clsidText_;
};
