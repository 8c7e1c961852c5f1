// Windows flavour: the system registry.
#pragma once

#include "platform/windowsapi.h"
