// Windows flavour: IDataObject comes from the system.
#pragma once

#include "platform/windowsapi.h"
