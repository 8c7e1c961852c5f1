// Windows flavour: IEnumConnectionPoints comes from the system.
#pragma once

#include "platform/windowsapi.h"
