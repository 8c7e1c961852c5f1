// Variants and strings for tests to start from; the caller clears what it gets.
#pragma once

#include "platform/variant.h"

#include <string>

// A variant of type vt whose eight value bytes are bits.
VARIANT VariantOf(VARTYPE vt, ULONGLONG bits);
// VT_BSTR holding a copy of text, embedded zeros included.
VARIANT TextVariant(const std::u16string& text);
// The units of a BSTR as its length prefix counts them.
std::u16string TextOf(BSTR text);
