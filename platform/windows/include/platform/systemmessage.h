// Windows flavour: the system message table.
#pragma once

#include "platform/windowsapi.h"
