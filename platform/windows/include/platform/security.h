// Windows flavour: NT security.
#pragma once

#include "platform/windowsapi.h"
