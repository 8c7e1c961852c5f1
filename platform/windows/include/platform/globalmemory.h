// Windows flavour: global memory.
#pragma once

#include "platform/windowsapi.h"
