// Windows flavour: the thread's last error.
#pragma once

#include "platform/windowsapi.h"
