// Windows flavour: SAFEARRAY routines of OLE Automation.
#pragma once

#include "platform/windowsapi.h"
