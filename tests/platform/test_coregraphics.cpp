#include <CoreFoundation/CoreFoundation.h>
#include <CoreGraphics/CoreGraphics.h>
#include <PlatformTestHooks.h>

#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>

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

  PlatformTest_SetMainBundlePath("/tmp/some.bundle");
  CFURLRef url = CFBundleCopyBundleURL(CFBundleGetMainBundle());
  UInt8 buf[64];
  ASSERT_TRUE(CFURLGetFileSystemRepresentation(url, true, buf, sizeof(buf)));
  EXPECT_STREQ((const char*)buf, "/tmp/some.bundle");
  EXPECT_FALSE(CFURLGetFileSystemRepresentation(url, true, buf, 5));
  CFRelease(url);
  PlatformTest_SetMainBundlePath(nullptr);
  url = CFBundleCopyBundleURL(CFBundleGetMainBundle());
  ASSERT_TRUE(CFURLGetFileSystemRepresentation(url, true, buf, sizeof(buf)));
  EXPECT_NE(strstr((const char*)buf, "tests/platform"), nullptr);
  CFRelease(url);
}
