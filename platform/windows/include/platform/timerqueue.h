// Windows flavour: timer queues.
#pragma once

#include "platform/windowsapi.h"
