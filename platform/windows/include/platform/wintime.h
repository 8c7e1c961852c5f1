// Windows flavour: system time, and our own tick helpers.
#pragma once

#include "platform/windowsapi.h"
#include "platform/filetimeticks.h"
