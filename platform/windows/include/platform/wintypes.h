// Windows flavour: the system's own scalar and text types.
#pragma once

#include "platform/windowsapi.h"
