// Windows flavour: COM initialisation.
#pragma once

#include "platform/windowsapi.h"
