// Paths of the CoreGraphics stand-in: rectangles only, as text frames need them.
#pragma once

#include <CoreGraphics/CGGeometry.h>

typedef const struct CGPath* CGPathRef;
typedef struct CGPath* CGMutablePathRef;

extern "C" {
CGMutablePathRef CGPathCreateMutable(void);
// Adds the rectangle, transformed by m when m is given.
void CGPathAddRect(CGMutablePathRef path, const CGAffineTransform* m, CGRect rect);
// Union of the path's rectangles; CGRectNull for an empty or null path.
CGRect CGPathGetBoundingBox(CGPathRef path);
CGPathRef CGPathRetain(CGPathRef path);
void CGPathRelease(CGPathRef path);
}
