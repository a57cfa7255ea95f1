// Umbrella header of the AudioUnit stand-in.
#pragma once

#include <AudioUnit/AudioComponent.h>
#include <AudioUnit/AUComponent.h>
#include <AudioUnit/AudioUnitProperties.h>
#include <AudioUnit/MusicDevice.h>
#include <AudioUnit/AudioUnitCarbonView.h>
