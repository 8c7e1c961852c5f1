// Windows flavour: VARIANT routines of OLE Automation, and our own facts about variant types.
#pragma once

#include "platform/windowsapi.h"
#include "platform/variantfacts.h"
