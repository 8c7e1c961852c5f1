// Windows flavour: module file names.
#pragma once

#include "platform/windowsapi.h"
