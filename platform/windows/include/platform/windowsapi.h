// Windows flavour: the one place that includes the system's headers. Every
// other header of this folder names the facility its Linux counterpart stands
// in for and includes this one, so the toolkit's sources read the same in both
// flavours.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif

#include <windows.h>

#include <aclapi.h>
#include <objbase.h>
#include <ocidl.h>
#include <oleauto.h>
#include <sddl.h>
