// Umbrella header of the CoreFoundation stand-in.
#pragma once

#include <CoreFoundation/CFBase.h>
#include <CoreFoundation/CFURL.h>
#include <CoreFoundation/CFBundle.h>
