#include "OpcSession.h"

#include "ValueFormat.h"

namespace {
constexpr DWORD kRetryPauseMs = 500;
}  // namespace

ClientFailure OpcSession::Connect(const std::wstring& progId) {
  CLSID classId;
  const HRESULT result = CLSIDFromProgID(progId.c_str(), &classId);
  if (FAILED(result)) return ClientFailure::Of("CLSIDFromProgID", result);
  return Connect(classId);
}

ClientFailure OpcSession::Connect(const CLSID& classId) {
  HRESULT result = E_FAIL;
  const char* call = "CoCreateInstance";
  for (int attempt = 0; attempt < 2; ++attempt) {
    server_.Reset();
    call = "CoCreateInstance";
    result = CoCreateInstance(classId, nullptr, CLSCTX_LOCAL_SERVER, IID_IOPCServer,
                              reinterpret_cast<void**>(server_.GetAddressOf()));
    if (SUCCEEDED(result)) {
      // Its object may still be the one of a server ending: it answers the status.
      OPCSERVERSTATUS* status = nullptr;
      call = "IOPCServer::GetStatus";
      result = server_->GetStatus(&status);
      if (status) {
        CoTaskMemFree(status->szVendorInfo);
        CoTaskMemFree(status);
      }
      if (SUCCEEDED(result)) return ClientFailure::None();
    }
    if (attempt == 0) Sleep(kRetryPauseMs);
  }
  server_.Reset();
  return ClientFailure::Of(call, result);
}

std::string OpcSession::ErrorText(HRESULT result) const {
  std::wstring text;
  if (server_) {
    LPWSTR serverText = nullptr;
    if (SUCCEEDED(server_->GetErrorString(result, LOCALE_SYSTEM_DEFAULT, &serverText)) && serverText) {
      text = serverText;
    }
    CoTaskMemFree(serverText);
  }
  return ValueFormat::Hresult(result, text);
}

std::string OpcSession::Describe(const ClientFailure& failure) const {
  if (!failure.detail.empty()) return failure.call + ": " + failure.detail;
  return failure.call + " failed: " + ErrorText(failure.result);
}
