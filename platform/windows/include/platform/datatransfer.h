// Windows flavour: the data-transfer structures of OLE.
#pragma once

#include "platform/windowsapi.h"
