// The GDI emulation: Win32 device contexts, objects and text over the platform's graphics.
#pragma once

#include "WDL/swell/swell-types.h"
#include "WDL/swell/swell-functions.h"
