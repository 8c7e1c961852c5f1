// Why a command failed: the call that failed and what it answered.
#pragma once

#include <windows.h>

#include <string>

struct ClientFailure {
  std::string call;
  HRESULT result = S_OK;
  // Set when the failure is the client's own (a bad value text, a time-out)
  // rather than a call's answer.
  std::string detail;

  bool Failed() const { return !call.empty(); }
  static ClientFailure None() { return {}; }
  static ClientFailure Of(std::string call, HRESULT result) { return {std::move(call), result, {}}; }
};
