// Windows flavour: access masks.
#pragma once

#include "platform/windowsapi.h"
