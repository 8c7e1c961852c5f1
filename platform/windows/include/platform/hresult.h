// Windows flavour: result codes come from the system.
#pragma once

#include "platform/windowsapi.h"
#include "platform/hresultvalue.h"
