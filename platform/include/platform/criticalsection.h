// Critical sections: recursive locks owned by one thread at a time. The owner may
// enter again and must leave as often as it entered.
#pragma once

#include "platform/wintypes.h"

#include <mutex>
#include <optional>

// Holds its lock between InitializeCriticalSection and DeleteCriticalSection.
struct CRITICAL_SECTION {
  std::optional<std::recursive_mutex> lock;
};
typedef CRITICAL_SECTION* LPCRITICAL_SECTION;

void InitializeCriticalSection(LPCRITICAL_SECTION section);
void EnterCriticalSection(LPCRITICAL_SECTION section);
// Enters when no other thread owns the section; never waits.
BOOL TryEnterCriticalSection(LPCRITICAL_SECTION section);
void LeaveCriticalSection(LPCRITICAL_SECTION section);
void DeleteCriticalSection(LPCRITICAL_SECTION section);
