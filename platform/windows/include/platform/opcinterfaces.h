// Windows flavour: the OPC interfaces, structures and constants as widl
// generates them from our IDL, with the OPC result codes.
#pragma once

#include "platform/windowsapi.h"

#include "OpcInterfaces.h"
