// The library's edge: the exports its host calls and the COM methods its
// clients call. Neither caller can take a C++ exception (one that leaves an
// export ends the host), so nothing thrown inside may cross the edge. Every
// entry point runs its work through one of these, with the value it answers
// when the work throws; the work itself is written as if nothing could.
#pragma once

#include <new>

#include "platform/hresult.h"

// An export: the work's answer, or `failure` when it throws.
template <class Result, class Work>
Result AnswerAtBoundary(Result failure, Work&& work) noexcept {
  try {
    return work();
  } catch (...) {
    return failure;
  }
}

// An export without an answer: what the work did before it threw stays done.
template <class Work>
void RunAtBoundary(Work&& work) noexcept {
  try {
    work();
  } catch (...) {
  }
}

// A COM method: the work's HRESULT, E_OUTOFMEMORY when memory ran out, E_FAIL
// for anything else thrown.
template <class Work>
HRESULT AnswerComCall(Work&& work) noexcept {
  try {
    return work();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_FAIL;
  }
}
