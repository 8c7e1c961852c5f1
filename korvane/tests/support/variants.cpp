#include "variants.h"

VARIANT variantOf(VARTYPE type, double number) {
  VARIANT real;
  VariantInit(&real);
  real.vt = VT_R8;
  real.dblVal = number;
  VARIANT converted;
  VariantInit(&converted);
  VariantChangeType(&converted, &real, 0, type);
  return converted;
}
