// The main display and the cursor of the CoreGraphics stand-in: one display, whose cursor
// state a test can read through the hooks.
#pragma once

#include <CoreGraphics/CGGeometry.h>

#include <cstdint>

typedef uint32_t CGDirectDisplayID;
typedef int32_t CGError;
enum : CGError {
  kCGErrorSuccess = 0,
  kCGErrorIllegalArgument = 1001,
};

extern "C" {
CGDirectDisplayID CGMainDisplayID(void);
// Counted: the cursor shows again after as many shows as hides. Any other display id gives
// kCGErrorIllegalArgument.
CGError CGDisplayHideCursor(CGDirectDisplayID display);
CGError CGDisplayShowCursor(CGDirectDisplayID display);
// point: from the display's top left, y down.
CGError CGDisplayMoveCursorToPoint(CGDirectDisplayID display, CGPoint point);
// 0 for an unknown display.
size_t CGDisplayPixelsHigh(CGDirectDisplayID display);
size_t CGDisplayPixelsWide(CGDirectDisplayID display);
}
