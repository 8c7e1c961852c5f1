// Windows flavour: IConnectionPoint comes from the system.
#pragma once

#include "platform/windowsapi.h"
