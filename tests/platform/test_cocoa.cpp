// The Cocoa stand-in: counting and pools, the run loop's clock, views and windows, event
// routing, menus, text fields, panels, URLs, strings, bundles and images.

#include <Cocoa/Cocoa.h>
#include <CoreFoundation/CoreFoundation.h>
#include <PlatformTestHooks.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct Pool {
  NSAutoreleasePool* p = (new NSAutoreleasePool)->init();
  ~Pool() { p->release(); }
};

NSString* S(const char* s) {
  return NSString::stringWithUTF8String(s);
}

// A view that logs what reaches it.
struct LogView : NSView {
  std::vector<std::string>* log;
  std::string name;
  bool takesFocus = false;
  LogView(std::vector<std::string>* l, const char* n, NSRect frame) : log(l), name(n) {
    initWithFrame(frame);
  }
  BOOL acceptsFirstResponder() override { return takesFocus; }
  void Add(const char* what, NSEvent* e) {
    const NSPoint p = convertPoint(e->locationInWindow(), nullptr);
    log->push_back(name + " " + what + " " + std::to_string((int)p.x) + "," +
                   std::to_string((int)p.y));
  }
  void mouseDown(NSEvent* e) override { Add("down", e); }
  void mouseDragged(NSEvent* e) override { Add("drag", e); }
  void mouseUp(NSEvent* e) override { Add("up", e); }
  void mouseMoved(NSEvent* e) override { Add("moved", e); }
  void scrollWheel(NSEvent* e) override { Add("wheel", e); }
  void drawRect(NSRect r) override {
    auto* ctx = NSGraphicsContext::currentContext();
    const CGAffineTransform t = CGContextGetCTM((CGContextRef)ctx->graphicsPort());
    log->push_back(name + " draw " + std::to_string((int)r.origin.x) + "," +
                   std::to_string((int)r.origin.y) + " " + std::to_string((int)r.size.width) + "x" +
                   std::to_string((int)r.size.height) + " at " + std::to_string((int)t.tx) + "," +
                   std::to_string((int)t.ty));
  }
  void act(id sender) {
    auto* item = dynamic_cast<NSMenuItem*>(sender);
    log->push_back(name + " chose " + (item ? item->title()->str() : "?"));
  }
};

SEL Act() {
  return NSSelector<LogView, &LogView::act>("act:");
}

struct Ticker : NSObject {
  std::vector<double>* fired;
  explicit Ticker(std::vector<double>* f) : fired(f) {}
  void tick(id) { fired->push_back(PlatformTest_RunLoopTimeMs()); }
};

struct CocoaTest : ::testing::Test {
  Pool pool;
  std::vector<std::string> log;
  void SetUp() override { PlatformTest_ResetCocoa(); }
};

} // namespace

namespace {
// Autoreleases a string while it goes away, as dealloc methods may.
struct LateAutorelease : NSObject {
  ~LateAutorelease() override { NSString::stringWithUTF8String("late"); }
};
} // namespace

TEST_F(CocoaTest, PoolsReleaseWhatTheyHoldInnerPoolsFirst) {
  const long base = PlatformTest_LiveObjectCount();
  {
    Pool p;
    (new LateAutorelease)->autorelease();
  }
  EXPECT_EQ(PlatformTest_LiveObjectCount(), base);
  auto* outer = (new NSAutoreleasePool)->init();
  NSString* kept = (NSString*)S("kept")->retain();
  (new NSAutoreleasePool)->init();
  S("inner");
  EXPECT_EQ(PlatformTest_LiveObjectCount(), base + 4);
  outer->release(); // drains the inner pool too
  EXPECT_EQ(PlatformTest_LiveObjectCount(), base + 1);
  EXPECT_EQ(kept->retainCount(), 1u);
  kept->release();
  EXPECT_EQ(PlatformTest_LiveObjectCount(), base);
}

TEST_F(CocoaTest, TimersFireOnTheVirtualClock) {
  std::vector<double> a, b, c;
  auto* ta = new Ticker(&a);
  auto* tb = new Ticker(&b);
  auto* tc = new Ticker(&c);
  SEL tick = NSSelector<Ticker, &Ticker::tick>("tick:");
  const double t0 = PlatformTest_RunLoopTimeMs();
  NSTimer* rep = NSTimer::timerWithTimeInterval(0.03, ta, tick, nullptr, YES);
  NSRunLoop::currentRunLoop()->addTimer(rep, NSRunLoopCommonModes);
  NSTimer* once = NSTimer::timerWithTimeInterval(0.05, tb, tick, nullptr, NO);
  NSRunLoop::currentRunLoop()->addTimer(once, NSDefaultRunLoopMode);
  tc->performSelector(tick, nullptr, 0.02);
  EXPECT_EQ(ta->retainCount(), 2u); // the timer holds its target
  PlatformTest_AdvanceRunLoop(100);
  EXPECT_EQ(a, (std::vector<double>{t0 + 30, t0 + 60, t0 + 90}));
  EXPECT_EQ(b, (std::vector<double>{t0 + 50}));
  EXPECT_EQ(c, (std::vector<double>{t0 + 20}));
  EXPECT_EQ(tb->retainCount(), 1u); // a one-shot timer lets go after firing
  EXPECT_EQ(tc->retainCount(), 1u);
  rep->invalidate();
  EXPECT_EQ(ta->retainCount(), 1u);
  PlatformTest_AdvanceRunLoop(100);
  EXPECT_EQ(a.size(), 3u);
  for (Ticker* t : {ta, tb, tc}) t->release();
}

TEST_F(CocoaTest, ViewsRetainSubviewsAndConvertPoints) {
  auto* parent = new LogView(&log, "p", NSMakeRect(0, 0, 100, 100));
  auto* a = new LogView(&log, "a", NSMakeRect(10, 20, 50, 50));
  auto* b = new LogView(&log, "b", NSMakeRect(5, 5, 10, 10));
  parent->addSubview(a);
  a->addSubview(b);
  EXPECT_EQ(a->retainCount(), 2u);
  EXPECT_EQ(b->convertPointToBase(NSMakePoint(1, 2)).x, 16);
  EXPECT_EQ(b->convertPoint(NSMakePoint(16, 27), nullptr).y, 2);
  EXPECT_EQ(b->convertPoint(NSMakePoint(0, 0), a).x, -5);
  EXPECT_EQ(parent->hitTest(NSMakePoint(16, 26)), b);
  EXPECT_EQ(parent->hitTest(NSMakePoint(12, 22)), a);
  EXPECT_EQ(parent->hitTest(NSMakePoint(60, 70)), parent); // a ends at x 60
  EXPECT_EQ(parent->hitTest(NSMakePoint(100, 5)), nullptr);
  parent->addSubview(b); // moves, keeping one reference
  EXPECT_EQ(b->superview(), parent);
  EXPECT_TRUE(a->subviews().empty());
  EXPECT_EQ(b->retainCount(), 2u);
  b->removeFromSuperview();
  EXPECT_EQ(b->retainCount(), 1u);
  b->release();
  a->release();
  parent->release(); // releases a
}

TEST_F(CocoaTest, WindowDisplaysDirtyAreasClippedToTheView) {
  NSWindow* w = PlatformTest_CreateWindow(100, 80);
  auto* v = new LogView(&log, "v", NSMakeRect(10, 20, 40, 30));
  PlatformTest_AddView(w, v);
  PlatformTest_AdvanceRunLoop(0);
  EXPECT_EQ(log, (std::vector<std::string>{"v draw 0,0 40x30 at 10,20"})); // new: drawn whole
  log.clear();
  v->setNeedsDisplayInRect(NSMakeRect(30, 25, 20, 10)); // clipped to the bounds
  v->setNeedsDisplayInRect(NSMakeRect(1, 2, 3, 4));
  PlatformTest_AdvanceRunLoop(0);
  EXPECT_EQ(log, (std::vector<std::string>{"v draw 1,2 39x28 at 10,20"}));
  PlatformTest_AdvanceRunLoop(0);
  EXPECT_EQ(log.size(), 1u); // nothing waits any more
  v->release();
  w->release();
}

TEST_F(CocoaTest, EventsGoWhereTheWindowServerSendsThem) {
  NSWindow* w = PlatformTest_CreateWindow(100, 80);
  auto* a = new LogView(&log, "a", NSMakeRect(0, 0, 50, 80));
  auto* b = new LogView(&log, "b", NSMakeRect(50, 0, 50, 80));
  b->takesFocus = true;
  PlatformTest_AddView(w, a);
  PlatformTest_AddView(w, b);
  PlatformTest_AdvanceRunLoop(0);
  log.clear();
  PlatformTest_PostMouse(w, kPlatformTestMouseDown, 10, 70, 1, 0); // y from the top
  PlatformTest_PostMouse(w, kPlatformTestMouseDragged, 70, 70, 1, 0);
  PlatformTest_PostMouse(w, kPlatformTestMouseUp, 70, 70, 1, 0);
  PlatformTest_PostScroll(w, 60, 60, 1.5, 0);
  PlatformTest_PostMouse(w, kPlatformTestMouseDown, 60, 60, 1, 0);  // b takes focus
  PlatformTest_PostMouse(w, kPlatformTestMouseMoved, 60, 60, 1, 0); // not accepted yet
  w->setAcceptsMouseMovedEvents(YES);
  PlatformTest_PostMouse(w, kPlatformTestMouseMoved, 1, 1, 1, 0);
  EXPECT_EQ(log, (std::vector<std::string>{"a down 10,10", "a drag 70,10", "a up 70,10",
                                           "b wheel 10,20", "b down 10,20", "b moved -49,79"}));
  PlatformTest_PostKey(w, 0, "q", 0); // b takes no keys: nobody does
  EXPECT_EQ(PlatformTest_UnhandledKeys(), std::vector<std::string>{"q"});
  w->orderOut(nullptr);
  EXPECT_FALSE(PlatformTest_PostMouse(w, kPlatformTestMouseDown, 10, 10, 1, 0));
  a->release();
  b->release();
  w->release();
}

TEST_F(CocoaTest, MenusTakeTheScriptedPath) {
  auto* target = new LogView(&log, "t", NSMakeRect(0, 0, 1, 1));
  auto* menu = (new NSMenu)->initWithTitle(S(""));
  menu->addItemWithTitle(S("One"), Act(), S(""))->setState(NSOnState);
  menu->addItem(NSMenuItem::separatorItem());
  NSMenuItem* off = menu->addItemWithTitle(S("Off"), Act(), S(""));
  off->setEnabled(NO);
  off->setIndentationLevel(20);
  auto* sub = (new NSMenu)->initWithTitle(S(""));
  sub->addItemWithTitle(S("Deep"), Act(), S(""));
  menu->setSubmenu(sub, menu->addItemWithTitle(S("More"), Act(), S(""))); // opens, not chosen
  sub->release();

  struct Row {
    std::vector<int> path;
    const char* chose; // "" when dismissed
  } rows[] = {{{0}, "One"}, {{3, 0}, "Deep"}, {{1}, ""}, {{2}, ""},
              {{3}, ""},    {{9}, ""},        {{}, ""},  {{0, 0}, ""}};
  for (auto& r : rows) {
    log.clear();
    PlatformTest_ScriptMenuChoice(r.path);
    NSMenu::popUpContextMenu(menu, nullptr, target);
    EXPECT_EQ(log.empty() ? "" : log[0], *r.chose ? std::string("t chose ") + r.chose : "");
    EXPECT_EQ(PlatformTest_LastMenu().chosen, *r.chose != 0);
  }
  NSMenu::popUpContextMenu(menu, nullptr, target); // nothing scripted
  const auto& items = PlatformTest_LastMenu().items;
  ASSERT_EQ(items.size(), 4u);
  EXPECT_TRUE(items[0].checked);
  EXPECT_TRUE(items[1].separator);
  EXPECT_FALSE(items[2].enabled);
  EXPECT_EQ(items[2].indentation, 15);
  ASSERT_EQ(items[3].submenu.size(), 1u);
  EXPECT_EQ(items[3].submenu[0].title, "Deep");
  EXPECT_EQ(menu->indexOfItem(sub->itemAtIndex(0)), -1);
  EXPECT_EQ(PlatformTest_MenusShown(), 9);
  menu->release();
  target->release();
}

namespace {
struct DigitsOnly : NSFormatter {
  NSString* stringForObjectValue(id o) override { return dynamic_cast<NSString*>(o); }
  BOOL getObjectValue(id* o, NSString* s, NSString**) override {
    *o = s;
    return YES;
  }
  BOOL isPartialStringValid(NSString* s, NSString**, NSString**) override {
    return s->str().find_first_not_of("0123456789") == std::string::npos;
  }
};
struct EndLog : NSView, NSTextFieldDelegate {
  std::vector<std::string>* log;
  explicit EndLog(std::vector<std::string>* l) : log(l) { initWithFrame(NSMakeRect(0, 0, 50, 50)); }
  BOOL acceptsFirstResponder() override { return YES; }
  void controlTextDidEndEditing(NSNotification* n) override {
    log->push_back("end " + static_cast<NSTextField*>(n->object())->stringValue()->str());
  }
};
} // namespace

TEST_F(CocoaTest, TextFieldsTypeThroughTheFormatterAndTellTheDelegate) {
  NSWindow* w = PlatformTest_CreateWindow(50, 50);
  auto* owner = new EndLog(&log);
  PlatformTest_AddView(w, owner);
  auto* field = (new NSTextField)->initWithFrame(NSMakeRect(0, 0, 40, 20));
  auto* f = new DigitsOnly;
  field->setFormatter(f);
  f->release();
  field->setStringValue(S("77"));
  field->setDelegate(owner);
  owner->addSubview(field);
  EXPECT_EQ(PlatformTest_TypeText(w, "1"), -1); // not being edited yet
  w->makeFirstResponder(field);
  EXPECT_EQ(PlatformTest_TypeText(w, "1x2"), 2);
  EXPECT_EQ(field->stringValue()->str(), "12"); // the first key replaced the selection
  PlatformTest_PostKey(w, 0, "3", 0);
  PlatformTest_PostKey(w, 36, "\r", 0);
  EXPECT_EQ(log, (std::vector<std::string>{"end 123"}));
  w->makeFirstResponder(owner); // leaving the field ends its editing too
  EXPECT_EQ(log.size(), 2u);
  EXPECT_FALSE(PlatformTest_CommitText(w));
  field->removeFromSuperview();
  field->release();
  owner->release();
  w->release();
}

TEST_F(CocoaTest, TypedBytesAreCharactersByTheUtf8Rule) {
  NSWindow* w = PlatformTest_CreateWindow(50, 50);
  auto* field = (new NSTextField)->initWithFrame(NSMakeRect(0, 0, 40, 20));
  w->contentView()->addSubview(field);
  w->makeFirstResponder(field);
  // A well-formed e-acute, then a stray byte that reads as the same character.
  EXPECT_EQ(PlatformTest_TypeText(w, "\xc3\xa9\xe9"), 2);
  EXPECT_EQ(field->stringValue()->str(), "\xc3\xa9\xc3\xa9");
  field->removeFromSuperview();
  field->release();
  w->release();
}

TEST_F(CocoaTest, PanelsCancelUnlessScripted) {
  NSSavePanel* save = NSSavePanel::savePanel();
  EXPECT_EQ(save->runModalForDirectory(S("/d"), S("n")), NSCancelButton);
  EXPECT_EQ(save->filename(), nullptr);
  PlatformTest_ScriptPanel(true, "/d/x.mid");
  EXPECT_EQ(save->runModalForDirectory(S("/d"), S("n")), NSOKButton);
  EXPECT_EQ(save->filename()->str(), "/d/x.mid");
  EXPECT_EQ(save->directoryURL()->path()->str(), "/d");
  EXPECT_FALSE(PlatformTest_LastPanel().typesGiven);
  EXPECT_EQ(PlatformTest_PanelsShown(), 2);
}

TEST_F(CocoaTest, StringsAndPaths) {
  struct Row {
    const char *in, *last, *deleteLast, *ext, *noExt;
  } rows[] = {
      {"/a/b/c.png", "c.png", "/a/b", "png", "/a/b/c"},
      {"/a/b/", "b", "/a", "", "/a/b"},
      {"resources/img/bg.png", "bg.png", "resources/img", "png", "resources/img/bg"},
      {"/", "/", "/", "", "/"},
      {"x", "x", "", "", "x"},
      {"/a.d/f", "f", "/a.d", "", "/a.d/f"},
      {".hidden", ".hidden", "", "", ".hidden"},
      {"/a", "a", "/", "", "/a"},
  };
  for (auto& r : rows) {
    NSString* s = S(r.in);
    EXPECT_EQ(s->lastPathComponent()->str(), r.last) << r.in;
    EXPECT_EQ(s->stringByDeletingLastPathComponent()->str(), r.deleteLast) << r.in;
    EXPECT_EQ(s->pathExtension()->str(), r.ext) << r.in;
    EXPECT_EQ(s->stringByDeletingPathExtension()->str(), r.noExt) << r.in;
  }
  EXPECT_EQ(S("\xff"), nullptr);
  EXPECT_EQ(NSString::stringWithCString("\xc3\xa9", NSASCIIStringEncoding), nullptr);
  EXPECT_EQ(S("a\xf0\x9f\x8e\xb5")->length(), 3u);
  EXPECT_EQ(S(" -42x")->intValue(), -42);
  EXPECT_EQ(S("99999999999")->intValue(), INT_MAX);
  EXPECT_EQ(S("a b  c")->componentsSeparatedByString(S(" "))->count(), 4u);
  PlatformTest_SetHomeDirectory("/h");
  EXPECT_EQ(S("~/x")->stringByExpandingTildeInPath()->str(), "/h/x");
  EXPECT_EQ(S("~x")->stringByExpandingTildeInPath()->str(), "~x");
  PlatformTest_SetHomeDirectory(nullptr);
}

TEST_F(CocoaTest, URLs) {
  struct Row {
    const char* text;
    bool valid;
  } rows[] = {{"https://a.org/p?q=1#f", true}, {"http://a b", false},  {"", false},
              {"http://a/%2F", true},          {"http://a/%2", false}, {"http://a/<", false},
              {"http://\xc3\xa9", false}};
  for (auto& r : rows) EXPECT_EQ(NSURL::URLWithString(S(r.text)) != nullptr, r.valid) << r.text;
  EXPECT_EQ(NSURL::URLWithString(S("https://a.org/p?q=1"))->path()->str(), "/p");
  NSURL* f = NSURL::fileURLWithPath(S("/a b/c"));
  EXPECT_EQ(f->absoluteString()->str(), "file:///a%20b/c");
  EXPECT_EQ(f->path()->str(), "/a b/c");
  EXPECT_EQ(NSURL::fileURLWithPath(S("")), nullptr);
  EXPECT_FALSE(NSWorkspace::sharedWorkspace()->openURL(nullptr));
  EXPECT_TRUE(PlatformTest_OpenedURLs().empty());
}

TEST_F(CocoaTest, BundlesByIdentifier) {
  const std::string dir =
      (std::filesystem::temp_directory_path() / "qv-cocoa-bundle.component").string();
  std::filesystem::create_directories(dir + "/Contents/Resources");
  std::filesystem::create_directories(dir + "/Contents/MacOS");
  std::ofstream(dir + "/Contents/Resources/a.png") << "x";
  std::ofstream(dir + "/Contents/MacOS/other.so") << "x";
  std::ofstream(dir + "/Contents/MacOS/another.so") << "x";
  PlatformTest_RegisterBundle("com.test.cocoa", "/nowhere");
  PlatformTest_RegisterBundle("com.test.cocoa", dir.c_str()); // the later path wins
  CFStringRef id = CFStringCreateWithCString(nullptr, "com.test.cocoa", kCFStringEncodingUTF8);
  CFBundleRef b = CFBundleGetBundleWithIdentifier(id);
  ASSERT_NE(b, nullptr);
  EXPECT_STREQ(CFStringGetCStringPtr(CFBundleGetIdentifier(b), kCFStringEncodingUTF8),
               "com.test.cocoa");
  CFRelease(id);
  NSBundle* nb = NSBundle::bundleWithIdentifier(S("com.test.cocoa"));
  ASSERT_NE(nb, nullptr);
  EXPECT_EQ(nb->pathForResource(S("a"), S("png"))->str(), dir + "/Contents/Resources/a.png");
  EXPECT_EQ(nb->pathForResource(S("b"), S("png")), nullptr);
  EXPECT_EQ(nb->executablePath()->str(), dir + "/Contents/MacOS/another.so"); // first by name
  std::ofstream(dir + "/Contents/MacOS/qv-cocoa-bundle") << "x";
  EXPECT_EQ(nb->executablePath()->str(), dir + "/Contents/MacOS/qv-cocoa-bundle"); // its own
  EXPECT_EQ(NSBundle::bundleWithIdentifier(S("com.test.none")), nullptr);
  std::filesystem::remove_all(dir);
}

TEST(CocoaImages, ImagesCopyIntoContextsExactlyAndBlendByAlpha) {
  uint32_t src[4] = {0x00102030, 0x11405060, 0x22708090, 0x33A0B0C0}; // 2 x 2, XRGB
  uint32_t dst[16];
  for (auto& p : dst) p = 0xFF000000;
  CGColorSpaceRef cs = CGColorSpaceCreateDeviceRGB();
  CGContextRef c = CGBitmapContextCreate(
      dst, 4, 4, 8, 16, cs, kCGImageAlphaPremultipliedFirst | kCGBitmapByteOrder32Little);
  const uint32_t skip = kCGImageAlphaNoneSkipFirst | kCGBitmapByteOrder32Little;
  CGDataProviderRef p = CGDataProviderCreateWithData(nullptr, src, sizeof(src), nullptr);
  EXPECT_EQ(
      CGImageCreate(2, 2, 8, 32, 8, cs, skip, nullptr, nullptr, false, kCGRenderingIntentDefault),
      nullptr);
  EXPECT_EQ(CGImageCreate(2, 2, 8, 24, 8, cs, skip, p, nullptr, false, kCGRenderingIntentDefault),
            nullptr);
  for (size_t h : {3, 4}) // the provider is too short
    EXPECT_EQ(CGImageCreate(2, h, 8, 32, 8, cs, skip, p, nullptr, false, kCGRenderingIntentDefault),
              nullptr);
  CGImageRef img =
      CGImageCreate(2, 2, 8, 32, 8, cs, skip, p, nullptr, false, kCGRenderingIntentDefault);
  CGDataProviderRelease(p); // the image keeps it
  ASSERT_NE(img, nullptr);
  CGContextDrawImage(c, CGRectMake(1, 1, 2, 2), img); // device origin at the bottom left
  EXPECT_EQ(dst[1 * 4 + 1], 0xFF102030u);             // first image row on top
  EXPECT_EQ(dst[1 * 4 + 2], 0xFF405060u);
  EXPECT_EQ(dst[2 * 4 + 1], 0xFF708090u);
  EXPECT_EQ(dst[0], 0xFF000000u);
  CGContextDrawImage(c, CGRectMake(0, 0, 4, 4), img); // scaled: each pixel 2 x 2
  EXPECT_EQ(dst[3 * 4 + 3], 0xFFA0B0C0u);
  EXPECT_EQ(dst[0 * 4 + 1], 0xFF102030u);
  CGImageRelease(img);

  uint32_t half = 0x80400000; // premultiplied: half-transparent dark red
  p = CGDataProviderCreateWithData(nullptr, &half, 4, nullptr);
  img = CGImageCreate(1, 1, 8, 32, 4, cs,
                      kCGImageAlphaPremultipliedFirst | kCGBitmapByteOrder32Little, p, nullptr,
                      false, kCGRenderingIntentDefault);
  CGDataProviderRelease(p);
  CGContextClipToRect(c, CGRectMake(0, 0, 1, 4));
  CGContextDrawImage(c, CGRectMake(0, 0, 4, 4), img);
  EXPECT_EQ(dst[0], 0xFF481018u); // 0x40 + 0x10 x 127 / 255, 0x20 x .., 0x30 x ..
  EXPECT_EQ(dst[1], 0xFF102030u); // outside the clip
  CGImageRelease(img);
  CGContextRelease(c);
  CGColorSpaceRelease(cs);
}

// The drawing shortcuts (whole rows, an opaque layout into a premultiplied one, one layout
// into itself) give exactly what the plain per-pixel path gives, over seeded random images,
// layouts, placements, scales, clips and a shear.
TEST(CocoaImages, ShortcutsDrawWhatThePlainPathDraws) {
  const uint32_t layouts[] = {
      kCGImageAlphaNoneSkipFirst | kCGBitmapByteOrder32Little,
      kCGImageAlphaPremultipliedFirst | kCGBitmapByteOrder32Little,
      kCGImageAlphaNoneSkipFirst | kCGBitmapByteOrder32Big,
      kCGImageAlphaPremultipliedFirst | kCGBitmapByteOrder32Big,
      kCGImageAlphaPremultipliedLast | kCGBitmapByteOrder32Little,
      kCGImageAlphaFirst | kCGBitmapByteOrder32Little,
  };
  const CGRect rects[] = {{{0, 0}, {9, 7}},   {{3, 2}, {9, 7}}, {{-4, -3}, {9, 7}},
                          {{1, 1}, {18, 14}}, {{2, 5}, {4, 3}}, {{0, 0}, {20, 16}}};
  CGColorSpaceRef cs = CGColorSpaceCreateDeviceRGB();
  uint32_t seed = 12345;
  auto next = [&] { return seed = seed * 1664525u + 1013904223u; };
  int compared = 0;
  for (uint32_t from : layouts) {
    for (uint32_t into : layouts) {
      if ((into & kCGBitmapAlphaInfoMask) == kCGImageAlphaNoneSkipFirst) continue;
      for (const CGRect& r : rects) {
        for (int clip = 0; clip < 4; ++clip) {
          std::vector<uint32_t> src(9 * 7), start(20 * 16);
          for (auto& v : src) v = next();
          for (auto& v : start) v = next();
          std::vector<uint32_t> out[2] = {start, start};
          CGDataProviderRef p =
              CGDataProviderCreateWithData(nullptr, src.data(), src.size() * 4, nullptr);
          CGImageRef img = CGImageCreate(9, 7, 8, 32, 36, cs, from, p, nullptr, false,
                                         kCGRenderingIntentDefault);
          CGDataProviderRelease(p);
          ASSERT_NE(img, nullptr);
          for (int fast = 0; fast < 2; ++fast) {
            PlatformTest_SetImageFastPaths(fast == 1);
            CGContextRef c = CGBitmapContextCreate(out[fast].data(), 20, 16, 8, 80, cs, into);
            ASSERT_NE(c, nullptr);
            CGContextTranslateCTM(c, 1, 0);
            if (clip == 1) CGContextClipToRect(c, CGRectMake(2.5, 1, 9, 20));
            if (clip == 2) CGContextConcatCTM(c, CGAffineTransform{1, 0, 0.5, 1, 0, 0}); // shears
            if (clip == 3) CGContextConcatCTM(c, CGAffineTransform{1, 0.5, 0, 1, 0, 0});
            CGContextDrawImage(c, r, img);
            CGContextRelease(c);
          }
          PlatformTest_SetImageFastPaths(true);
          CGImageRelease(img);
          ASSERT_EQ(out[0], out[1]) << std::hex << from << " into " << into << " rect "
                                    << r.origin.x << "," << r.origin.y << " case " << clip;
          ++compared;
        }
      }
    }
  }
  EXPECT_EQ(compared, 6 * 4 * 6 * 4);
  CGColorSpaceRelease(cs);
}

TEST(CocoaRuntime, ClassesByName) {
  static const objc_class cls{"QVTestClass", [] { return (id) new NSObject; }};
  EXPECT_TRUE(PlatformRegisterClass(&cls));
  EXPECT_FALSE(PlatformRegisterClass(&cls));
  Pool pool;
  Class found = NSClassFromString(NSString::stringWithUTF8String("QVTestClass"));
  ASSERT_EQ(found, &cls);
  id o = found->allocInit();
  EXPECT_EQ(o->retainCount(), 1u);
  o->release();
  EXPECT_EQ(NSClassFromString(NSString::stringWithUTF8String("Nope")), nullptr);
}

namespace {
struct TipView : NSView, NSViewToolTipOwner {
  TipView() { initWithFrame(NSMakeRect(0, 0, 50, 50)); }
  NSString* view(NSView*, NSToolTipTag tag, NSPoint p, void*) override {
    return NSString::stringWithUTF8String(
        ("tip " + std::to_string(tag) + " " + std::to_string((int)p.x)).c_str());
  }
};
} // namespace

TEST_F(CocoaTest, TooltipsAndTheCursor) {
  NSWindow* w = PlatformTest_CreateWindow(50, 50);
  auto* v = new TipView;
  PlatformTest_AddView(w, v);
  v->addToolTipRect(NSMakeRect(0, 0, 10, 10), v, nullptr);
  v->addToolTipRect(NSMakeRect(5, 0, 10, 10), v, nullptr); // the later one is on top
  EXPECT_EQ(PlatformTest_ToolTipAt(w, 2, 45), "tip 1 2");
  EXPECT_EQ(PlatformTest_ToolTipAt(w, 7, 45), "tip 2 7");
  EXPECT_EQ(PlatformTest_ToolTipAt(w, 20, 45), "");
  v->removeAllToolTips();
  EXPECT_EQ(PlatformTest_ToolTipAt(w, 2, 45), "");
  v->release();
  w->release();

  EXPECT_EQ(CGDisplayHideCursor(CGMainDisplayID()), kCGErrorSuccess);
  CGDisplayHideCursor(CGMainDisplayID());
  CGDisplayShowCursor(CGMainDisplayID());
  EXPECT_TRUE(PlatformTest_CursorHidden()); // shown again after as many shows as hides
  CGDisplayShowCursor(CGMainDisplayID());
  EXPECT_FALSE(PlatformTest_CursorHidden());
  EXPECT_EQ(CGDisplayHideCursor(7), kCGErrorIllegalArgument);
  EXPECT_FALSE(PlatformTest_CursorHidden());
}
