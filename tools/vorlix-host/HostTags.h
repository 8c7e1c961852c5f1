// The host's tags: one per variable of the data file, made through the
// toolkit's exports, moved by the simulation and written by clients.
#pragma once

#include "HostVariable.h"

#include "platform/wintypes.h"

#include <string>
#include <unordered_map>
#include <vector>

class HostTags {
 public:
  // Severity of the level alarms the host sets on tags with bounds.
  static constexpr DWORD kAlarmSeverity = 500;
  // Severity of the simple event a client write raises.
  static constexpr DWORD kWriteEventSeverity = 100;

  // Creates a tag per variable; a variable whose name the system's code page
  // cannot hold, or that exists already, is reported and left out. Tags with
  // bounds get a Lo alarm at the minimum and a Hi alarm at the maximum.
  // The number of tags made.
  size_t Create(const std::vector<HostVariable>& variables);

  // One simulation step: every numeric tag with bounds moves along a slow wave
  // inside its bounds (never onto a limit, so no alarm fires by itself).
  void Simulate(unsigned step);

  // A client wrote `value` (converted to the tag's type) to a tag: the value is
  // taken through UpdateTag, which also evaluates the level alarms, and one
  // simple event tells the event subscriptions who wrote what.
  void TakeWrite(DWORD handle, const VARIANT& value, const char* user);

  size_t Count() const { return tags_.size(); }

 private:
  struct Tag {
    DWORD handle;
    HostVariable variable;
    WORD quality;
  };
  const Tag* Find(DWORD handle) const;

  std::vector<Tag> tags_;
  // Tag handle to its place in tags_: a write finds its tag at once.
  std::unordered_map<DWORD, size_t> byHandle_;
};
