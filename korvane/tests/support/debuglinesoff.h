#pragma once

// Switches the message log's debug lines off while it lives, as the rules of
// QT_LOGGING_RULES can; they are on again afterwards.
class DebugLinesOff {
public:
  DebugLinesOff();
  ~DebugLinesOff();
  DebugLinesOff(const DebugLinesOff&) = delete;
  DebugLinesOff& operator=(const DebugLinesOff&) = delete;
};
