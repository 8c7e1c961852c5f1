// Windows flavour: IEnumString comes from the system.
#pragma once

#include "platform/windowsapi.h"
