// Windows flavour: Win32 events.
#pragma once

#include "platform/windowsapi.h"
