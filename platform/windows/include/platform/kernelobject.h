// Windows flavour: kernel handles.
#pragma once

#include "platform/windowsapi.h"
