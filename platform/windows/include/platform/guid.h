// Windows flavour: GUIDs and the standard COM identifiers come from the system.
#pragma once

#include "platform/windowsapi.h"
