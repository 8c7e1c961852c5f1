// Windows flavour: the OPC declarations generated from our IDL.
#pragma once

#include "platform/opcinterfaces.h"
