// Windows flavour: interlocked counters.
#pragma once

#include "platform/windowsapi.h"
