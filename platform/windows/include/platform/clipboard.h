// Windows flavour: clipboard formats.
#pragma once

#include "platform/windowsapi.h"
