// Windows flavour: IUnknown comes from the system.
#pragma once

#include "platform/windowsapi.h"
