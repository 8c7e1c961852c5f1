// Windows flavour: windows, message queues and timers of user32.
#pragma once

#include "platform/windowsapi.h"
