// Windows flavour: IAdviseSink comes from the system.
#pragma once

#include "platform/windowsapi.h"
