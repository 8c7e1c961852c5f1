#pragma once

#include <QString>

#include "Vorlix.h"

// The bridge's record of one published variable: the toolkit tag it created
// and what ties that tag to the platform (device serial number, data code and
// data-type code). The bridge's lock guards `value`, `quality` and `state`,
// which the toolkit's threads read and change too.
struct CTag {
  // Where the platform's echo of an OPC client's write stands.
  enum State {
    Written = 0,      // written by an OPC client; the next pushed message is skipped
    EchoSkipped = 1,  // one pushed message skipped since the write
    InStep = 2,       // pushed values are applied
  };

  CTag();
  ~CTag();
  CTag(const CTag&) = delete;
  CTag& operator=(const CTag&) = delete;

  // Whether the toolkit holds a tag for this record; only then does the
  // record take part in updates and callbacks.
  bool created() const { return handle != VORLIX_INVALID_TAG; }

  DWORD handle = VORLIX_INVALID_TAG;
  QString name;  // "<serial number>.<type name>.<data name>"
  VARIANT value;
  WORD quality = 0;  // as the toolkit's tag holds it
  // The last pushed text for it was no value of its type: its value is the
  // one before, not to be trusted until a readable one comes.
  bool textRefused = false;
  DWORD readLevel = 0;   // access words given to the toolkit: NT level in the high word
  DWORD writeLevel = 0;  // 0: OPC clients may not write the tag
  QString sn;
  int dataCode = 0;
  int typeCode = 0;  // after the version remap (DataTypeCode::of)
  State state = InStep;
};
