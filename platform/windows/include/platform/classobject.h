// Windows flavour: COM class objects.
#pragma once

#include "platform/windowsapi.h"
