// Umbrella header of the CoreText stand-in.
#pragma once

#include <CoreText/CTFont.h>
#include <CoreText/CTLine.h>
