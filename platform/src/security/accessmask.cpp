#include "platform/accessmask.h"

void MapGenericMask(DWORD* accessMask, const GENERIC_MAPPING* mapping) {
  const DWORD requested = *accessMask;
  DWORD mapped = requested & ~(GENERIC_READ | GENERIC_WRITE | GENERIC_EXECUTE | GENERIC_ALL);
  if (requested & GENERIC_READ) mapped |= mapping->GenericRead;
  if (requested & GENERIC_WRITE) mapped |= mapping->GenericWrite;
  if (requested & GENERIC_EXECUTE) mapped |= mapping->GenericExecute;
  if (requested & GENERIC_ALL) mapped |= mapping->GenericAll;
  *accessMask = mapped;
}
