// The name appended to QueryInterface trace lines for the standard COM
// identifiers that clients and the COM runtime commonly ask for.
#pragma once

#include "platform/guid.h"

// " IID_IMarshal" and the like, with a leading blank; "" for any other identifier.
const char* IIDTraceName(REFIID iid);
