// Colour spaces and colours of the CoreGraphics stand-in.
#pragma once

#include <CoreGraphics/CGGeometry.h>

typedef struct CGColorSpace* CGColorSpaceRef;
typedef struct CGColor* CGColorRef;

extern "C" {
// Device RGB: three components plus alpha. New reference, release with CGColorSpaceRelease.
CGColorSpaceRef CGColorSpaceCreateDeviceRGB(void);
// The stand-in has one RGB model: any platform profile yields device RGB; null for null.
CGColorSpaceRef CGColorSpaceCreateWithPlatformColorSpace(const void* ref);
size_t CGColorSpaceGetNumberOfComponents(CGColorSpaceRef space);
CGColorSpaceRef CGColorSpaceRetain(CGColorSpaceRef space);
void CGColorSpaceRelease(CGColorSpaceRef space);

// components: the space's components then alpha, each 0..1. Null for a null space.
CGColorRef CGColorCreate(CGColorSpaceRef space, const CGFloat* components);
CGColorRef CGColorRetain(CGColorRef color);
void CGColorRelease(CGColorRef color);
size_t CGColorGetNumberOfComponents(CGColorRef color);
// Points into the colour; valid while the colour lives.
const CGFloat* CGColorGetComponents(CGColorRef color);
CGFloat CGColorGetAlpha(CGColorRef color);
CGColorSpaceRef CGColorGetColorSpace(CGColorRef color);
}
