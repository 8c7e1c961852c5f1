// Windows flavour: critical sections.
#pragma once

#include "platform/windowsapi.h"
