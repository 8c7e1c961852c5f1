// Windows flavour: IEnumUnknown comes from the system.
#pragma once

#include "platform/windowsapi.h"
