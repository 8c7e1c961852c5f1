#include "support/TaskMemoryFailures.h"

bool TaskMemoryFailuresReachOnlyTheToolkit() { return true; }
