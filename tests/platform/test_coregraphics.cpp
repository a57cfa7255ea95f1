#include <CoreFoundation/CoreFoundation.h>
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
