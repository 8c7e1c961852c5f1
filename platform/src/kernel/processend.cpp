#include "platform/processend.h"

bool ProcessIsEnding() { return false; }
