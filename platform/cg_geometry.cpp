#include "PlatformInternal.h"

#include <algorithm>
#include <cmath>
#include <limits>

const CGAffineTransform CGAffineTransformIdentity = {1, 0, 0, 1, 0, 0};
const CGRect CGRectNull = {
    {std::numeric_limits<CGFloat>::infinity(), std::numeric_limits<CGFloat>::infinity()}, {0, 0}};

CGPoint CGPointApplyAffineTransform(CGPoint p, CGAffineTransform t) {
  return CGPoint{t.a * p.x + t.c * p.y + t.tx, t.b * p.x + t.d * p.y + t.ty};
}

CGSize CGSizeApplyAffineTransform(CGSize s, CGAffineTransform t) {
  return CGSize{t.a * s.width + t.c * s.height, t.b * s.width + t.d * s.height};
}

static CGRect Standardize(CGRect r) {
  if (r.size.width < 0) {
    r.origin.x += r.size.width;
    r.size.width = -r.size.width;
  }
  if (r.size.height < 0) {
    r.origin.y += r.size.height;
    r.size.height = -r.size.height;
  }
  return r;
}

bool CGRectIsNull(CGRect r) {
  return std::isinf(r.origin.x) || std::isinf(r.origin.y);
}

bool CGRectIsEmpty(CGRect r) {
  return CGRectIsNull(r) || r.size.width == 0 || r.size.height == 0;
}

CGRect CGRectApplyAffineTransform(CGRect r, CGAffineTransform t) {
  if (CGRectIsNull(r)) return r;
  r = Standardize(r);
  const CGPoint pts[4] = {
      CGPointApplyAffineTransform(r.origin, t),
      CGPointApplyAffineTransform(CGPoint{r.origin.x + r.size.width, r.origin.y}, t),
      CGPointApplyAffineTransform(CGPoint{r.origin.x, r.origin.y + r.size.height}, t),
      CGPointApplyAffineTransform(CGPoint{r.origin.x + r.size.width, r.origin.y + r.size.height},
                                  t)};
  CGFloat x0 = pts[0].x, x1 = pts[0].x, y0 = pts[0].y, y1 = pts[0].y;
  for (const CGPoint& p : pts) {
    x0 = std::min(x0, p.x);
    x1 = std::max(x1, p.x);
    y0 = std::min(y0, p.y);
    y1 = std::max(y1, p.y);
  }
  return CGRectMake(x0, y0, x1 - x0, y1 - y0);
}

CGAffineTransform CGAffineTransformConcat(CGAffineTransform t1, CGAffineTransform t2) {
  // t1 first, then t2
  return CGAffineTransform{
      t1.a * t2.a + t1.b * t2.c,           t1.a * t2.b + t1.b * t2.d,
      t1.c * t2.a + t1.d * t2.c,           t1.c * t2.b + t1.d * t2.d,
      t1.tx * t2.a + t1.ty * t2.c + t2.tx, t1.tx * t2.b + t1.ty * t2.d + t2.ty};
}

CGAffineTransform CGAffineTransformInvert(CGAffineTransform t) {
  const CGFloat det = t.a * t.d - t.b * t.c;
  if (det == 0) return t; // not invertible: unchanged, as the platform answers
  const CGFloat a = t.d / det, b = -t.b / det, c = -t.c / det, d = t.a / det;
  return CGAffineTransform{a, b, c, d, -(t.tx * a + t.ty * c), -(t.tx * b + t.ty * d)};
}

CGRect CGRectIntersection(CGRect r1, CGRect r2) {
  if (CGRectIsNull(r1) || CGRectIsNull(r2)) return CGRectNull;
  r1 = Standardize(r1);
  r2 = Standardize(r2);
  const CGFloat x0 = std::max(r1.origin.x, r2.origin.x);
  const CGFloat y0 = std::max(r1.origin.y, r2.origin.y);
  const CGFloat x1 = std::min(r1.origin.x + r1.size.width, r2.origin.x + r2.size.width);
  const CGFloat y1 = std::min(r1.origin.y + r1.size.height, r2.origin.y + r2.size.height);
  if (x1 < x0 || y1 < y0) return CGRectNull;
  return CGRectMake(x0, y0, x1 - x0, y1 - y0);
}
