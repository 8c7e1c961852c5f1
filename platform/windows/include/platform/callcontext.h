// Windows flavour: client identity from COM's call context.
#pragma once

#include "platform/windowsapi.h"
