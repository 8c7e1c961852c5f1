// Windows flavour: code pages of the kernel.
#pragma once

#include "platform/windowsapi.h"
