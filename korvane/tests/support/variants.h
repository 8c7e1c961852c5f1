#pragma once

#include "Vorlix.h"

// A number as a VARIANT of `type`, converted as VariantChangeType does (a
// boolean is VARIANT_TRUE for any non-zero number).
VARIANT variantOf(VARTYPE type, double number);
