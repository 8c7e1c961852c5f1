// The out-pointers of a COM method: every one the client gave is cleared to
// zero, so that a failing call hands back no stale values, and the method goes
// on only when none is null.
#pragma once

// Clears each non-null out-pointer's target; true when every pointer was given.
// A method that only clears on its way out may ignore the answer.
template <class... Out>
bool ClearOutPointers(Out*... outs) {
  ((outs != nullptr ? static_cast<void>(*outs = Out{}) : static_cast<void>(0)), ...);
  return ((outs != nullptr) && ...);
}
