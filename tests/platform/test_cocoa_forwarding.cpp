// Events a plain view does not take go up its responder chain; small string, array and image
// calls of the stand-in.

#include <Cocoa/Cocoa.h>
#include <CoreGraphics/CoreGraphics.h>
#include <PlatformTestHooks.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Pool {
  NSAutoreleasePool* p = (new NSAutoreleasePool)->init();
  ~Pool() { p->release(); }
};

// Logs every mouse and wheel event that reaches it.
struct Catcher : NSView {
  std::vector<std::string> log;
  explicit Catcher(NSRect frame) { initWithFrame(frame); }
  void Add(const char* what) { log.push_back(what); }
  void mouseDown(NSEvent*) override { Add("down"); }
  void mouseUp(NSEvent*) override { Add("up"); }
  void mouseDragged(NSEvent*) override { Add("drag"); }
  void rightMouseDown(NSEvent*) override { Add("rdown"); }
  void rightMouseUp(NSEvent*) override { Add("rup"); }
  void rightMouseDragged(NSEvent*) override { Add("rdrag"); }
  void mouseMoved(NSEvent*) override { Add("moved"); }
  void scrollWheel(NSEvent*) override { Add("wheel"); }
};

TEST(CocoaForwarding, APlainViewPassesEveryMouseEventToItsSuperview) {
  PlatformTest_ResetCocoa();
  NSWindow* window = PlatformTest_CreateWindow(100, 100);
  auto* catcher = new Catcher(NSMakeRect(0, 0, 100, 100));
  PlatformTest_AddView(window, catcher);
  NSView* plain = (new NSView)->initWithFrame(NSMakeRect(0, 0, 100, 100)); // over all of it
  catcher->addSubview(plain);
  EXPECT_FALSE(plain->isOpaque());
  EXPECT_FALSE(plain->acceptsFirstMouse(nullptr));
  for (int type :
       {kPlatformTestMouseDown, kPlatformTestMouseDragged, kPlatformTestMouseUp,
        kPlatformTestRightMouseDown, kPlatformTestRightMouseDragged, kPlatformTestRightMouseUp})
    PlatformTest_PostMouse(window, type, 20, 20, 1, 0);
  PlatformTest_PostScroll(window, 20, 20, 1.0, 0);
  EXPECT_EQ(catcher->log,
            (std::vector<std::string>{"down", "drag", "up", "rdown", "rdrag", "rup", "wheel"}));
  // Shrunk away from the point, the plain view no longer stands between: heard once.
  plain->setFrame(NSMakeRect(60, 60, 10, 10));
  catcher->log.clear();
  PlatformTest_PostMouse(window, kPlatformTestMouseDown, 20, 20, 1, 0);
  EXPECT_EQ(catcher->log, (std::vector<std::string>{"down"}));
  plain->release();
  catcher->release();
  window->release();
}

TEST(CocoaForwarding, PathsArraysAndImageSizes) {
  Pool pool;
  NSString* base = NSString::stringWithUTF8String("/a/b/");
  EXPECT_EQ(base->stringByAppendingString(NSString::stringWithUTF8String("c"))->str(), "/a/b/c");
  EXPECT_EQ(base->stringByAppendingString(nullptr)->str(), "/a/b/");
  EXPECT_EQ(base->stringByAppendingPathComponent(NSString::stringWithUTF8String("/c"))->str(),
            "/a/b/c");
  EXPECT_EQ(NSString::stringWithUTF8String("a")
                ->stringByAppendingPathComponent(NSString::stringWithUTF8String("c"))
                ->str(),
            "a/c");
  EXPECT_EQ(base->stringByAppendingPathComponent(nullptr)->str(), "/a/b");

  NSMutableArray* array = NSMutableArray::array();
  array->addObject(base);
  array->addObject(nullptr); // nothing to hold
  EXPECT_EQ(array->count(), 1u);
  EXPECT_EQ(array->firstObject(), base);

  EXPECT_EQ(CGDisplayPixelsWide(CGMainDisplayID()), 1440u);
  EXPECT_EQ(CGDisplayPixelsWide(CGMainDisplayID() + 1), 0u);
  EXPECT_EQ(NSScreen::mainScreen()->frame().size.width, 1440);

  CGColorSpaceRef rgb = CGColorSpaceCreateDeviceRGB();
  EXPECT_EQ(CGColorSpaceGetNumberOfComponents(rgb), 3u);
  EXPECT_EQ(CGColorSpaceGetNumberOfComponents(nullptr), 0u);
  const CGFloat comps[4] = {0.1, 0.2, 0.3, 0.4};
  CGColorRef colour = CGColorCreate(rgb, comps);
  EXPECT_EQ(CGColorGetNumberOfComponents(colour), 4u);
  EXPECT_EQ(CGColorGetAlpha(colour), 0.4);
  EXPECT_EQ(CGColorGetAlpha(nullptr), 0.0);
  EXPECT_EQ(CGColorGetNumberOfComponents(nullptr), 0u);
  CGColorRelease(colour);

  const uint32_t pixels[6] = {};
  CGDataProviderRef provider =
      CGDataProviderCreateWithData(nullptr, pixels, sizeof pixels, nullptr);
  CGImageRef image = CGImageCreate(3, 2, 8, 32, 12, rgb, kCGImageAlphaPremultipliedFirst, provider,
                                   nullptr, false, kCGRenderingIntentDefault);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(CGImageRetain(image), image);
  EXPECT_EQ(CGImageGetWidth(image), 3u);
  EXPECT_EQ(CGImageGetHeight(image), 2u);
  EXPECT_EQ(CGImageGetWidth(nullptr), 0u);
  EXPECT_EQ(CGImageGetHeight(nullptr), 0u);
  CGImageRelease(image);
  CGImageRelease(image);
  CGDataProviderRelease(provider);
  CGColorSpaceRelease(rgb);
}

} // namespace
