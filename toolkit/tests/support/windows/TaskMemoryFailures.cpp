#include "support/TaskMemoryFailures.h"

bool TaskMemoryFailuresReachOnlyTheToolkit() { return false; }
