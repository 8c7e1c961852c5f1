// The percent deadband of a group: whether a new value of an item differs
// enough from the last value that counted as a change to count itself.
#pragma once

#include "platform/variant.h"

// TRUE when `value` counts as a change against `reference` under a deadband
// of `percent` (of the reference value, in 32-bit float arithmetic, equality
// counting). Every value counts with a deadband of 0, for a reference of a
// type other than the integer and real types, and when either value does not
// convert to VT_R4; against a reference of 0 every value but 0 counts.
BOOL DeadbandChanged(FLOAT percent, const VARIANT& reference, const VARIANT& value);
