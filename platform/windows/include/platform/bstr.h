// Windows flavour: BSTR routines of OLE Automation.
#pragma once

#include "platform/windowsapi.h"
