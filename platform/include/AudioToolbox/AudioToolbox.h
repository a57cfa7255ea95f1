// Umbrella header of the AudioToolbox stand-in.
#pragma once

#include <AudioUnit/AudioUnit.h>
#include <AudioToolbox/AudioUnitUtilities.h>
