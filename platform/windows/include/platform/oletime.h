// Windows flavour: OLE dates of OLE Automation.
#pragma once

#include "platform/windowsapi.h"
