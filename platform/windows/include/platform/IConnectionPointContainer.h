// Windows flavour: IConnectionPointContainer comes from the system.
#pragma once

#include "platform/windowsapi.h"
