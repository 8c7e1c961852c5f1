// Windows flavour: IEnumConnections comes from the system.
#pragma once

#include "platform/windowsapi.h"
