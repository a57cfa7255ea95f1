// Geometry records of the CoreGraphics stand-in.
#pragma once

#include <CoreFoundation/CFBase.h>

typedef double CGFloat;

struct CGPoint {
  CGFloat x, y;
};
struct CGSize {
  CGFloat width, height;
};
struct CGRect {
  CGPoint origin;
  CGSize size;
};
// x' = a x + c y + tx, y' = b x + d y + ty
struct CGAffineTransform {
  CGFloat a, b, c, d, tx, ty;
};

inline CGPoint CGPointMake(CGFloat x, CGFloat y) {
  return CGPoint{x, y};
}
inline CGSize CGSizeMake(CGFloat w, CGFloat h) {
  return CGSize{w, h};
}
inline CGRect CGRectMake(CGFloat x, CGFloat y, CGFloat w, CGFloat h) {
  return CGRect{{x, y}, {w, h}};
}

extern "C" {
extern const CGAffineTransform CGAffineTransformIdentity;
extern const CGRect CGRectNull;
CGPoint CGPointApplyAffineTransform(CGPoint p, CGAffineTransform t);
CGSize CGSizeApplyAffineTransform(CGSize s, CGAffineTransform t);
// Bounding box of the transformed rectangle.
CGRect CGRectApplyAffineTransform(CGRect r, CGAffineTransform t);
CGAffineTransform CGAffineTransformConcat(CGAffineTransform t1, CGAffineTransform t2);
CGAffineTransform CGAffineTransformInvert(CGAffineTransform t);
// Normalised (non-negative size); CGRectNull when they do not meet.
CGRect CGRectIntersection(CGRect r1, CGRect r2);
bool CGRectIsNull(CGRect r);
bool CGRectIsEmpty(CGRect r);
}
