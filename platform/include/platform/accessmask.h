// Access masks: the standard and generic rights that registry keys and security
// descriptors share.
#pragma once

#include "platform/wintypes.h"

typedef DWORD ACCESS_MASK;

constexpr ACCESS_MASK DELETE = 0x00010000;
constexpr ACCESS_MASK READ_CONTROL = 0x00020000;
constexpr ACCESS_MASK WRITE_DAC = 0x00040000;
constexpr ACCESS_MASK WRITE_OWNER = 0x00080000;
constexpr ACCESS_MASK SYNCHRONIZE = 0x00100000;
constexpr ACCESS_MASK STANDARD_RIGHTS_REQUIRED = 0x000F0000;
constexpr ACCESS_MASK MAXIMUM_ALLOWED = 0x02000000;
constexpr ACCESS_MASK GENERIC_ALL = 0x10000000;
constexpr ACCESS_MASK GENERIC_EXECUTE = 0x20000000;
constexpr ACCESS_MASK GENERIC_WRITE = 0x40000000;
constexpr ACCESS_MASK GENERIC_READ = 0x80000000;

// What each generic right stands for on one kind of object.
struct GENERIC_MAPPING {
  ACCESS_MASK GenericRead;
  ACCESS_MASK GenericWrite;
  ACCESS_MASK GenericExecute;
  ACCESS_MASK GenericAll;
};
typedef GENERIC_MAPPING* PGENERIC_MAPPING;

// Replaces every generic right in *accessMask by the rights it maps to.
void MapGenericMask(DWORD* accessMask, const GENERIC_MAPPING* mapping);
