// One connection to an OPC server in another process: the server object COM
// makes for its ProgID, and the error texts it gives.
#pragma once

#include "ClientFailure.h"

#include <OpcInterfaces.h>
#include <wrl/client.h>

#include <string>

using Microsoft::WRL::ComPtr;

class OpcSession {
 public:
  // Asks COM for the server of the ProgID as a local server. A server that is
  // just ending refuses new clients; COM is asked once more then, which
  // starts a new one.
  ClientFailure Connect(const std::wstring& progId);
  // The same for a class identifier. A server already running is found even
  // when its class is not registered (COM starts one only from the registry).
  ClientFailure Connect(const CLSID& classId);

  IOPCServer* Server() const { return server_.Get(); }
  void Disconnect() { server_.Reset(); }
  // Another interface of the server object; null when it has none.
  template <typename Interface>
  ComPtr<Interface> Query(REFIID iid) const {
    ComPtr<Interface> result;
    if (server_) server_->QueryInterface(iid, reinterpret_cast<void**>(result.GetAddressOf()));
    return result;
  }

  // A failure in words, with the server's own text for its codes.
  std::string Describe(const ClientFailure& failure) const;
  std::string ErrorText(HRESULT result) const;

 private:
  ComPtr<IOPCServer> server_;
};
