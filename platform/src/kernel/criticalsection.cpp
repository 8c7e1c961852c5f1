#include "platform/criticalsection.h"

void InitializeCriticalSection(LPCRITICAL_SECTION section) { section->lock.emplace(); }

void EnterCriticalSection(LPCRITICAL_SECTION section) { section->lock->lock(); }

BOOL TryEnterCriticalSection(LPCRITICAL_SECTION section) { return section->lock->try_lock() ? TRUE : FALSE; }

void LeaveCriticalSection(LPCRITICAL_SECTION section) { section->lock->unlock(); }

void DeleteCriticalSection(LPCRITICAL_SECTION section) { section->lock.reset(); }
