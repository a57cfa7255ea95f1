#include <CoreFoundation/CoreFoundation.h>
#include <CoreGraphics/CGPath.h>
#include <CoreGraphics/CoreGraphics.h>
#include <PlatformTestHooks.h>

#include <gtest/gtest.h>
#include <libgen.h>
#include <unistd.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

TEST(CoreGraphics, TransformsInvertAndConcatenate) {
  CGAffineTransform t = {2, 0, 0, -1, 5, 100};
  const CGAffineTransform i = CGAffineTransformInvert(t);
  const CGPoint p = CGPointApplyAffineTransform(CGPointApplyAffineTransform({3, 7}, t), i);
  EXPECT_DOUBLE_EQ(p.x, 3);
  EXPECT_DOUBLE_EQ(p.y, 7);
  const CGRect r = CGRectApplyAffineTransform(CGRectMake(0, 0, 10, 10), t);
  EXPECT_EQ(r.origin.y, 90);
  EXPECT_EQ(r.size.width, 20);
  EXPECT_TRUE(CGRectIsNull(CGRectIntersection(CGRectMake(0, 0, 1, 1), CGRectMake(2, 2, 1, 1))));
}

TEST(CoreGraphics, ConcatAppliesTheFirstThenTheSecond) {
  auto fields = [](const CGAffineTransform& t) {
    return std::vector<CGFloat>{t.a, t.b, t.c, t.d, t.tx, t.ty};
  };
  // Every field distinct, translations on both sides: each of the six sums is pinned.
  const CGAffineTransform t1 = {2, 3, 5, 7, 11, 13}, t2 = {17, 19, 23, 29, 31, 37};
  EXPECT_EQ(fields(CGAffineTransformConcat(t1, t2)),
            (std::vector<CGFloat>{103, 125, 246, 298, 517, 623}));
  EXPECT_EQ(fields(CGAffineTransformConcat(t2, t1)),
            (std::vector<CGFloat>{129, 184, 191, 272, 258, 365}));
  // A quarter turn with a shift, then a scale with a shift, and the other way round.
  const CGAffineTransform turn = {0, 1, -1, 0, 5, -2}, scale = {2, 0, 0, 3, 10, 20};
  const CGAffineTransform turnThenScale = CGAffineTransformConcat(turn, scale);
  EXPECT_EQ(fields(turnThenScale), (std::vector<CGFloat>{0, 3, -2, 0, 20, 14}));
  EXPECT_EQ(fields(CGAffineTransformConcat(scale, turn)),
            (std::vector<CGFloat>{0, 2, -3, 0, -15, 8}));
  // The same as applying them one after the other: (1, 4) turns to (1, -1), scales to (12, 17).
  const CGPoint p = CGPointApplyAffineTransform({1, 4}, turnThenScale);
  EXPECT_EQ(p.x, 12);
  EXPECT_EQ(p.y, 17);
  const CGPoint q = CGPointApplyAffineTransform(CGPointApplyAffineTransform({1, 4}, turn), scale);
  EXPECT_EQ(q.x, p.x);
  EXPECT_EQ(q.y, p.y);
  // The identity on either side changes nothing.
  EXPECT_EQ(fields(CGAffineTransformConcat(CGAffineTransformIdentity, t1)), fields(t1));
  EXPECT_EQ(fields(CGAffineTransformConcat(t1, CGAffineTransformIdentity)), fields(t1));
}

TEST(CoreGraphics, GeometryIsExact) {
  const CGAffineTransform t = {2, 3, 5, 7, 11, 13};
  const CGPoint p = CGPointApplyAffineTransform({1, 2}, t);
  EXPECT_EQ(p.x, 23);
  EXPECT_EQ(p.y, 30);
  const CGSize s = CGSizeApplyAffineTransform({1, 2}, t);
  EXPECT_EQ(s.width, 12);
  EXPECT_EQ(s.height, 17);
  // A rectangle of negative size is the same area, made positive.
  const CGRect n =
      CGRectApplyAffineTransform(CGRectMake(10, 20, -4, -6), CGAffineTransformIdentity);
  EXPECT_EQ(n.origin.x, 6);
  EXPECT_EQ(n.origin.y, 14);
  EXPECT_EQ(n.size.width, 4);
  EXPECT_EQ(n.size.height, 6);
  // Turned by 45 degrees, each corner gives one side of the bounds.
  const CGRect d = CGRectApplyAffineTransform(CGRectMake(0, 0, 2, 2), {1, 1, -1, 1, 0, 0});
  EXPECT_EQ(d.origin.x, -2);
  EXPECT_EQ(d.size.width, 4);
  EXPECT_EQ(d.size.height, 4);
  EXPECT_TRUE(CGRectIsEmpty(CGRectMake(0, 0, 5, 0)));
  EXPECT_FALSE(CGRectIsEmpty(CGRectMake(0, 0, 5, 1)));
  // A singular transform comes back unchanged; a sheared one inverts exactly.
  EXPECT_EQ(CGAffineTransformInvert({1, 2, 2, 4, 5, 6}).tx, 5);
  EXPECT_EQ(CGAffineTransformInvert({2, 0, 1, 1, 0, 0}).c, -0.5);
  // Touching rectangles meet in an empty one; a negative size is made positive first.
  const CGRect touch = CGRectIntersection(CGRectMake(0, 0, 2, 2), CGRectMake(2, 0, 2, 2));
  EXPECT_FALSE(CGRectIsNull(touch));
  EXPECT_EQ(touch.origin.x, 2);
  EXPECT_EQ(touch.size.width, 0);
  const CGRect neg = CGRectIntersection(CGRectMake(0, 0, 10, 10), CGRectMake(8, 8, -4, -4));
  EXPECT_EQ(neg.origin.x, 4);
  EXPECT_EQ(neg.size.height, 4);
  // Paths: a rectangle through its transform, bounds as the union.
  CGMutablePathRef path = CGPathCreateMutable();
  const CGAffineTransform shift = {1, 0, 0, 1, 10, 0};
  CGPathAddRect(path, &shift, CGRectMake(0, 0, 2, 2));
  CGPathAddRect(path, nullptr, CGRectMake(1, -3, 1, 10));
  const CGRect box = CGPathGetBoundingBox(path);
  EXPECT_EQ(box.origin.x, 1);
  EXPECT_EQ(box.origin.y, -3);
  EXPECT_EQ(box.size.width, 11);
  EXPECT_EQ(box.size.height, 10);
  CGPathRelease(path);
}

TEST(CoreGraphics, ContextStateAndRectangleFills) {
  uint32_t px[5 * 3];
  for (uint32_t& v : px) v = 0xAA000000;
  CGColorSpaceRef cs = CGColorSpaceCreateDeviceRGB();
  const uint32_t info = kCGImageAlphaNoneSkipFirst | kCGBitmapByteOrder32Little;
  // Rows of 5 pixels, 4 of them used; the default byte order is allowed.
  CGContextRef c = CGBitmapContextCreate(px, 4, 3, 8, 20, cs, info);
  ASSERT_NE(c, nullptr);
  CGContextRef plain = CGBitmapContextCreate(px, 4, 3, 8, 20, cs, kCGImageAlphaNoneSkipFirst);
  EXPECT_NE(plain, nullptr);
  CGContextRelease(plain);
  std::vector<uint32_t> wide((size_t)1 << 20);
  CGContextRef widest =
      CGBitmapContextCreate(wide.data(), (size_t)1 << 20, 1, 8, (size_t)4 << 20, cs, info);
  EXPECT_NE(widest, nullptr);
  CGContextRelease(widest);
  const CGFloat comps[4] = {0, 0, 1, 0.5};
  CGColorRef col = CGColorCreate(cs, comps);
  EXPECT_EQ(CGColorGetAlpha(col), 0.5);
  CGColorRelease(col);
  CGColorSpaceRelease(cs);
  EXPECT_EQ(CGBitmapContextGetBytesPerRow(c), 20u);
  EXPECT_EQ(CGContextGetClipBoundingBox(c).size.height, 3);
  // Nested states come back one at a time.
  CGContextSaveGState(c);
  CGContextClipToRect(c, CGRectMake(0, 0, 3, 3));
  CGContextSaveGState(c);
  CGContextClipToRect(c, CGRectMake(0, 0, 1, 1));
  CGContextRestoreGState(c);
  EXPECT_EQ(CGContextGetClipBoundingBox(c).size.width, 3);
  CGContextRestoreGState(c);
  EXPECT_EQ(CGContextGetClipBoundingBox(c).size.width, 4);
  // A clip outside the bitmap is empty, not null.
  CGContextSaveGState(c);
  CGContextClipToRect(c, CGRectMake(10, 10, 1, 1));
  EXPECT_FALSE(CGRectIsNull(CGContextGetClipBoundingBox(c)));
  EXPECT_EQ(CGContextGetClipBoundingBox(c).size.width, 0);
  CGContextRestoreGState(c);
  // Clip and rectangles in user space, through the transformation.
  CGContextTranslateCTM(c, 1, 0);
  EXPECT_EQ(CGContextGetClipBoundingBox(c).origin.x, -1);
  EXPECT_EQ(CGContextConvertRectToDeviceSpace(c, CGRectMake(0, 0, 1, 1)).origin.x, 1);
  // Pixels whose centres are covered, bottom row first, their top byte kept; half blue.
  CGContextSetRGBFillColor(c, 0, 0.2, 1, 0.5);
  CGContextFillRect(c, CGRectMake(0, 1, 2, 1));
  EXPECT_EQ(px[5 * 1 + 0], 0xAA000000u);
  EXPECT_EQ(px[5 * 1 + 1], 0xAA001A80u);
  EXPECT_EQ(px[5 * 1 + 2], 0xAA001A80u);
  EXPECT_EQ(px[5 * 1 + 3], 0xAA000000u);
  EXPECT_EQ(px[5 * 0 + 1], 0xAA000000u);
  EXPECT_EQ(px[5 * 2 + 1], 0xAA000000u);
  CGContextRelease(c);
}

TEST(CoreGraphics, BitmapContextsCheckTheirArguments) {
  uint32_t px[16];
  CGColorSpaceRef cs = CGColorSpaceCreateDeviceRGB();
  const uint32_t info = kCGImageAlphaNoneSkipFirst | kCGBitmapByteOrder32Little;
  EXPECT_EQ(CGBitmapContextCreate(nullptr, 4, 4, 8, 16, cs, info), nullptr);
  EXPECT_EQ(CGBitmapContextCreate(px, 4, 4, 8, 12, cs, info), nullptr);
  EXPECT_EQ(CGBitmapContextCreate(px, 4, 4, 16, 16, cs, info), nullptr);
  EXPECT_EQ(CGBitmapContextCreate(px, 4, 4, 8, 16, nullptr, info), nullptr);
  EXPECT_EQ(CGBitmapContextCreate(px, 0, 4, 8, 16, cs, info), nullptr);
  CGContextRef c = CGBitmapContextCreate(px, 4, 4, 8, 16, cs, info);
  ASSERT_NE(c, nullptr);
  CGColorSpaceRelease(cs); // the context keeps its own reference
  CGContextSaveGState(c);
  CGContextClipToRect(c, CGRectMake(1, 1, 2, 2));
  EXPECT_EQ(CGContextGetClipBoundingBox(c).size.width, 2);
  CGContextRestoreGState(c);
  EXPECT_EQ(CGContextGetClipBoundingBox(c).size.width, 4);
  CGContextRelease(c);
}

TEST(CoreFoundation, CountsAndBundlePath) {
  const long live = PlatformTest_LiveObjectCount();
  CGColorSpaceRef cs = CGColorSpaceCreateDeviceRGB();
  const CGFloat comps[4] = {1, 0.5, 0, 1};
  CGColorRef col = CGColorCreate(cs, comps);
  CGColorSpaceRelease(cs);
  EXPECT_EQ(CGColorGetColorSpace(col) != nullptr, true);
  CFRetain(col);
  EXPECT_EQ(CFGetRetainCount(col), 2);
  CFRelease(col);
  CFRelease(col);
  EXPECT_EQ(PlatformTest_LiveObjectCount(), live);

  // Room for any path: the clone may live deep in the file system.
  std::vector<UInt8> buf(PATH_MAX + 1);
  auto path = [&](CFIndex size) -> std::string {
    CFURLRef url = CFBundleCopyBundleURL(CFBundleGetMainBundle());
    const bool ok = CFURLGetFileSystemRepresentation(url, true, buf.data(), size);
    CFRelease(url);
    return ok ? reinterpret_cast<const char*>(buf.data()) : "(failed)";
  };
  PlatformTest_SetMainBundlePath("/tmp/some bundle's.bundle");
  EXPECT_EQ(path(static_cast<CFIndex>(buf.size())), "/tmp/some bundle's.bundle");
  EXPECT_EQ(path(26), "/tmp/some bundle's.bundle"); // just room for the terminator
  EXPECT_EQ(path(25), "(failed)");
  PlatformTest_SetMainBundlePath(nullptr);
  // Without one set, the main bundle is the executable's folder.
  char exe[PATH_MAX + 1] = {};
  ASSERT_GT(readlink("/proc/self/exe", exe, PATH_MAX), 0);
  EXPECT_EQ(path(static_cast<CFIndex>(buf.size())), std::string(dirname(exe)));
}
