// Umbrella header of the CoreGraphics stand-in.
#pragma once

#include <CoreGraphics/CGGeometry.h>
#include <CoreGraphics/CGColor.h>
#include <CoreGraphics/CGContext.h>
#include <CoreGraphics/CGImage.h>
#include <CoreGraphics/CGDisplay.h>
