// Windows flavour: Win32 threads.
#pragma once

#include "platform/windowsapi.h"
