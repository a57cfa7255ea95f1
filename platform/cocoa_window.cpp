// Views, windows, events and the run loop of the Cocoa stand-in, with the hooks through
// which hosts and tests act as the person at the screen.

#include "cocoa_internal.h"
#include "PlatformInternal.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>

namespace {
// Process-wide objects are not counted as live: they never go away.
template <class T> T* Singleton() {
  static T* s = [] {
    T* t = new T;
    PlatformCountLiveObject(-1);
    return t;
  }();
  return s;
}

struct RunLoopState {
  int64_t nowUs = 0;
  std::vector<NSTimer*> timers; // retained, in the order they were scheduled
};
RunLoopState& Loop() {
  static RunLoopState* s = new RunLoopState;
  return *s;
}

thread_local NSGraphicsContext* t_currentContext = nullptr;
NSPoint s_mouseLocation = {0, 0};
NSWindow* s_keyWindow = nullptr;
NSInteger s_windowNumbers = 0;

// An autorelease pool for the length of a scope, as the run loop keeps one per event.
struct Pool {
  NSAutoreleasePool* p = (new NSAutoreleasePool)->init();
  ~Pool() { p->release(); }
};
} // namespace

NSString* const NSDefaultRunLoopMode = [] {
  auto* s = new NSString("kCFRunLoopDefaultMode");
  PlatformCountLiveObject(-1);
  return s;
}();
NSString* const NSRunLoopCommonModes = [] {
  auto* s = new NSString("kCFRunLoopCommonModes");
  PlatformCountLiveObject(-1);
  return s;
}();

namespace cocoa {
Script& TheScript() {
  static Script* s = new Script;
  return *s;
}
std::vector<NSWindow*>& Windows() {
  static auto* w = new std::vector<NSWindow*>;
  return *w;
}
void DisplayAllWindows() {
  // A copy: displaying may open or close windows.
  std::vector<NSWindow*> ws = Windows();
  for (NSWindow* w : ws) w->retain();
  for (NSWindow* w : ws) {
    if (w->isVisible()) w->displayIfNeeded();
    w->release();
  }
}
void SetMouseLocation(NSPoint p) {
  s_mouseLocation = p;
}
} // namespace cocoa

// ---- Timers and the run loop

NSTimer* NSTimer::timerWithTimeInterval(NSTimeInterval interval, id target, SEL selector,
                                        id userInfo, BOOL repeats) {
  auto* t = new NSTimer;
  t->mInterval = interval < 0.0001 ? 0.0001 : interval;
  t->mTarget = target ? target->retain() : nullptr;
  t->mUserInfo = userInfo ? userInfo->retain() : nullptr;
  t->mSelector = selector;
  t->mRepeats = repeats;
  return (NSTimer*)t->autorelease();
}

NSTimer::~NSTimer() {
  if (mTarget) mTarget->release();
  if (mUserInfo) mUserInfo->release();
}

void NSTimer::invalidate() {
  if (!mValid) return;
  mValid = false;
  id target = mTarget, info = mUserInfo;
  mTarget = mUserInfo = nullptr;
  if (target) target->release();
  if (info) info->release();
  if (mScheduled) {
    mScheduled = false;
    auto& ts = Loop().timers;
    ts.erase(std::find(ts.begin(), ts.end(), this));
    release(); // the run loop's reference
  }
}

void NSTimer::fire() {
  if (!mValid) return;
  retain();
  if (mTarget && mSelector) mSelector->perform(mTarget, mSendUserInfo ? mUserInfo : this);
  if (!mRepeats) invalidate();
  release();
}

NSRunLoop* NSRunLoop::currentRunLoop() {
  return Singleton<NSRunLoop>();
}

void NSRunLoop::addTimer(NSTimer* timer, NSString* /*mode*/) {
  if (!timer || !timer->mValid || timer->mScheduled) return;
  timer->retain();
  timer->mScheduled = true;
  timer->mFireAtUs = Loop().nowUs + std::max<int64_t>(100, llround(timer->mInterval * 1e6));
  Loop().timers.push_back(timer);
}

void PlatformTest_AdvanceRunLoop(int ms) {
  NSRunLoop::currentRunLoop()->advanceBy((int64_t)std::max(ms, 0) * 1000);
}

void NSRunLoop::advanceBy(int64_t microseconds) {
  RunLoopState& loop = Loop();
  const int64_t end = loop.nowUs + std::max<int64_t>(microseconds, 0);
  for (;;) {
    NSTimer* next = nullptr;
    for (NSTimer* t : loop.timers)
      if (t->mFireAtUs <= end && (!next || t->mFireAtUs < next->mFireAtUs)) next = t;
    if (!next) break;
    loop.nowUs = std::max(loop.nowUs, next->mFireAtUs);
    // Every firing happens in order on the virtual clock, so none is ever missed.
    if (next->mRepeats) next->mFireAtUs += std::max<int64_t>(100, llround(next->mInterval * 1e6));
    {
      Pool pool;
      next->fire();
    }
    cocoa::DisplayAllWindows();
  }
  loop.nowUs = end;
  cocoa::DisplayAllWindows();
}

double PlatformTest_RunLoopTimeMs(void) {
  return (double)Loop().nowUs / 1000.0;
}

// ---- Events and responders

NSEvent::NSEvent(NSEventType type, NSWindow* window, NSPoint location, NSUInteger flags)
    : mType(type), mWindow(window), mLocation(location), mFlags(flags) {
  mWindowNumber = window ? window->windowNumber() : 0;
  mTimestamp = PlatformTest_RunLoopTimeMs() / 1000.0;
}

NSEvent::~NSEvent() {
  if (mChars) mChars->release();
  if (mCharsIgnoring) mCharsIgnoring->release();
}

void NSEvent::setKey(unsigned short keyCode, const char* chars, const char* charsIgnoring) {
  mKeyCode = keyCode;
  if (mChars) mChars->release();
  if (mCharsIgnoring) mCharsIgnoring->release();
  mChars = new NSString(chars ? chars : "");
  mCharsIgnoring = new NSString(charsIgnoring ? charsIgnoring : "");
}

NSEvent* NSEvent::otherEventWithType(NSEventType type, NSPoint location, NSUInteger modifierFlags,
                                     NSTimeInterval timestamp, NSInteger windowNumber,
                                     NSGraphicsContext* /*context*/, short subtype, NSInteger data1,
                                     NSInteger data2) {
  NSWindow* window = nullptr;
  for (NSWindow* w : cocoa::Windows())
    if (w->windowNumber() == windowNumber) window = w;
  auto* e = new NSEvent(type, window, location, modifierFlags);
  e->mTimestamp = timestamp;
  e->mWindowNumber = windowNumber;
  e->mSubtype = subtype;
  e->mData1 = data1;
  e->mData2 = data2;
  return (NSEvent*)e->autorelease();
}

NSPoint NSEvent::mouseLocation() {
  return s_mouseLocation;
}

void NSResponder::mouseDown(NSEvent* e) {
  if (NSResponder* n = nextResponder()) n->mouseDown(e);
}
void NSResponder::mouseUp(NSEvent* e) {
  if (NSResponder* n = nextResponder()) n->mouseUp(e);
}
void NSResponder::mouseDragged(NSEvent* e) {
  if (NSResponder* n = nextResponder()) n->mouseDragged(e);
}
void NSResponder::rightMouseDown(NSEvent* e) {
  if (NSResponder* n = nextResponder()) n->rightMouseDown(e);
}
void NSResponder::rightMouseUp(NSEvent* e) {
  if (NSResponder* n = nextResponder()) n->rightMouseUp(e);
}
void NSResponder::rightMouseDragged(NSEvent* e) {
  if (NSResponder* n = nextResponder()) n->rightMouseDragged(e);
}
void NSResponder::mouseMoved(NSEvent* e) {
  if (NSResponder* n = nextResponder()) n->mouseMoved(e);
}
void NSResponder::scrollWheel(NSEvent* e) {
  if (NSResponder* n = nextResponder()) n->scrollWheel(e);
}
void NSResponder::keyDown(NSEvent* e) {
  if (NSResponder* n = nextResponder()) {
    n->keyDown(e);
  } else if (e) {
    NSString* c = e->charactersIgnoringModifiers();
    cocoa::TheScript().unhandledKeys.push_back(c ? c->str() : "");
  }
}

// ---- Colours, fonts, graphics contexts

NSColor* NSColor::colorWithCalibratedRed(CGFloat r, CGFloat g, CGFloat b, CGFloat a) {
  auto* c = new NSColor;
  c->mRGBA[0] = r;
  c->mRGBA[1] = g;
  c->mRGBA[2] = b;
  c->mRGBA[3] = a;
  return (NSColor*)c->autorelease();
}

NSFont* NSFont::fontWithName(NSString* name, CGFloat size) {
  if (!name || name->str().empty() || size < 0) return nullptr;
  auto* f = new NSFont;
  f->mName = (NSString*)name->retain();
  f->mSize = size;
  return (NSFont*)f->autorelease();
}

NSFont::~NSFont() {
  if (mName) mName->release();
}

NSGraphicsContext* NSGraphicsContext::currentContext() {
  return t_currentContext;
}

void NSGraphicsContext::setCurrentContext(NSGraphicsContext* context) {
  t_currentContext = context;
}

NSGraphicsContext* NSGraphicsContext::graphicsContextWithGraphicsPort(void* port, BOOL flipped) {
  if (!port) return nullptr;
  auto* g = new NSGraphicsContext;
  g->mPort = CGContextRetain((CGContextRef)port);
  g->mFlipped = flipped;
  return (NSGraphicsContext*)g->autorelease();
}

NSGraphicsContext::~NSGraphicsContext() {
  CGContextRelease((CGContextRef)mPort);
}

// ---- Views

NSView* NSView::initWithFrame(NSRect frame) {
  mFrame = frame;
  return this;
}

NSView::~NSView() {
  std::vector<NSView*> subs;
  subs.swap(mSubviews);
  for (NSView* v : subs) {
    v->mSuperview = nullptr;
    v->setWindowRecursive(nullptr);
    v->release();
  }
}

NSResponder* NSView::nextResponder() {
  if (mSuperview) return mSuperview;
  if (mWindow && mWindow->contentView() == this) return mWindow;
  return nullptr;
}

void NSView::detach() {
  if (!mSuperview) return;
  if (mWindow) mWindow->viewWillLeave(this);
  auto& sibs = mSuperview->mSubviews;
  sibs.erase(std::find(sibs.begin(), sibs.end(), this));
  mSuperview = nullptr;
  setWindowRecursive(nullptr);
}

void NSView::addSubview(NSView* view) {
  if (!view || view == this || isDescendantOf(view)) return;
  view->retain();
  if (view->mSuperview) {
    view->detach();
    view->release(); // the former superview's reference
  }
  mSubviews.push_back(view);
  view->mSuperview = this;
  view->setWindowRecursive(mWindow);
}

void NSView::removeFromSuperview() {
  if (!mSuperview) return;
  detach();
  release(); // the superview's reference; this may be the last
}

void NSView::setWindowRecursive(NSWindow* window) {
  if (mWindow != window) {
    mWindow = window;
    if (window) setNeedsDisplay(YES); // a view new to a window is drawn whole, as on the platform
    viewDidMoveToWindow();
  }
  for (NSView* v : mSubviews) v->setWindowRecursive(window);
}

void NSView::setNeedsDisplay(BOOL flag) {
  if (flag)
    setNeedsDisplayInRect(bounds());
  else
    mHasDirty = false;
}

void NSView::setNeedsDisplayInRect(NSRect rect) {
  const CGRect r = CGRectIntersection(rect, bounds());
  if (CGRectIsNull(r) || CGRectIsEmpty(r)) return;
  if (!mHasDirty) {
    mDirty = r;
    mHasDirty = true;
    return;
  }
  const CGFloat x0 = std::min(mDirty.origin.x, r.origin.x);
  const CGFloat y0 = std::min(mDirty.origin.y, r.origin.y);
  const CGFloat x1 = std::max(mDirty.origin.x + mDirty.size.width, r.origin.x + r.size.width);
  const CGFloat y1 = std::max(mDirty.origin.y + mDirty.size.height, r.origin.y + r.size.height);
  mDirty = NSMakeRect(x0, y0, x1 - x0, y1 - y0);
}

NSPoint NSView::originInBase() const {
  NSPoint o = {0, 0};
  for (const NSView* v = this; v; v = v->mSuperview) {
    o.x += v->mFrame.origin.x;
    o.y += v->mFrame.origin.y;
  }
  return o;
}

BOOL NSView::isDescendantOf(NSView* view) const {
  for (const NSView* v = this; v; v = v->mSuperview)
    if (v == view) return YES;
  return NO;
}

NSPoint NSView::convertPoint(NSPoint p, NSView* fromView) const {
  const NSPoint base = fromView ? fromView->convertPointToBase(p) : p;
  const NSPoint o = originInBase();
  return NSMakePoint(base.x - o.x, base.y - o.y);
}

NSPoint NSView::convertPointToBase(NSPoint p) const {
  const NSPoint o = originInBase();
  return NSMakePoint(p.x + o.x, p.y + o.y);
}

NSView* NSView::hitTest(NSPoint p) {
  if (!NSPointInRect(p, mFrame)) return nullptr;
  const NSPoint local = NSMakePoint(p.x - mFrame.origin.x, p.y - mFrame.origin.y);
  for (auto it = mSubviews.rbegin(); it != mSubviews.rend(); ++it)
    if (NSView* hit = (*it)->hitTest(local)) return hit;
  return this;
}

NSToolTipTag NSView::addToolTipRect(NSRect rect, id owner, void* userData) {
  mToolTips.push_back(ToolTip{mNextTag, rect, owner, userData});
  return mNextTag++;
}

void NSView::removeAllToolTips() {
  mToolTips.clear();
}

// ---- Screens and windows

NSScreen* NSScreen::mainScreen() {
  return Singleton<NSScreen>();
}

NSRect NSScreen::frame() const {
  return NSMakeRect(0, 0, (CGFloat)CGDisplayPixelsWide(CGMainDisplayID()),
                    (CGFloat)CGDisplayPixelsHigh(CGMainDisplayID()));
}

NSWindow* NSWindow::initWithContentRect(NSRect contentRect, NSUInteger styleMask,
                                        NSBackingStoreType /*backing*/, BOOL /*defer*/) {
  mFrame = contentRect;
  mFrame.size.width = std::max<CGFloat>(1, std::floor(contentRect.size.width));
  mFrame.size.height = std::max<CGFloat>(1, std::floor(contentRect.size.height));
  mStyle = styleMask;
  mPixels.assign((size_t)pixelsWide() * (size_t)pixelsHigh(), 0xFFFFFFFFu);
  mNumber = ++s_windowNumbers;
  cocoa::Windows().push_back(this);
  auto* content =
      (new NSView)->initWithFrame(NSMakeRect(0, 0, mFrame.size.width, mFrame.size.height));
  mContentView = content;
  content->setWindowRecursive(this);
  return this;
}

namespace {
// The native windows a test made for a host, each with its frame (screen coordinates).
std::map<void*, NSRect>& WindowRefs() {
  static std::map<void*, NSRect> refs;
  return refs;
}
} // namespace

NSWindow* NSWindow::initWithWindowRef(void* windowRef) {
  const auto it = WindowRefs().find(windowRef);
  // Only a native window can be wrapped; anything else is refused.
  if (it == WindowRefs().end()) {
    release();
    return nullptr;
  }
  return initWithContentRect(it->second, NSTitledWindowMask, NSBackingStoreBuffered, NO);
}

NSWindow::~NSWindow() {
  auto& ws = cocoa::Windows();
  ws.erase(std::remove(ws.begin(), ws.end(), this), ws.end());
  if (s_keyWindow == this) s_keyWindow = nullptr;
  for (NSWindow* c : mChildren) {
    c->mParent = nullptr;
    c->release();
  }
  if (mMouseDownView) mMouseDownView->release();
  mFirstResponder = nullptr;
  if (mContentView) {
    mContentView->setWindowRecursive(nullptr);
    mContentView->release();
  }
}

void NSWindow::setContentView(NSView* view) {
  if (view == mContentView) return;
  if (view) view->retain();
  if (mContentView) {
    viewWillLeave(mContentView);
    mContentView->setWindowRecursive(nullptr);
    mContentView->release();
  }
  mContentView = view;
  if (view) {
    view->setFrame(NSMakeRect(0, 0, mFrame.size.width, mFrame.size.height));
    view->setWindowRecursive(this);
  }
}

void NSWindow::viewWillLeave(NSView* view) {
  auto* v = dynamic_cast<NSView*>(mFirstResponder);
  if (v && v->isDescendantOf(view)) mFirstResponder = nullptr;
  if (mMouseDownView && mMouseDownView->isDescendantOf(view)) {
    mMouseDownView->release();
    mMouseDownView = nullptr;
  }
}

BOOL NSWindow::makeFirstResponder(NSResponder* responder) {
  if (responder == mFirstResponder) return YES;
  if (responder && !responder->acceptsFirstResponder()) return NO;
  NSResponder* old = mFirstResponder;
  mFirstResponder = nullptr;
  // The field resigns first; its delegate may change the first responder meanwhile.
  if (auto* field = dynamic_cast<NSTextField*>(old)) field->endEditing();
  mFirstResponder = responder;
  if (auto* field = dynamic_cast<NSTextField*>(responder)) field->didBecomeFirstResponder();
  return YES;
}

void NSWindow::makeKeyAndOrderFront(id /*sender*/) {
  mVisible = true;
  mClosed = false;
  s_keyWindow = this;
}

void NSWindow::orderFront(id /*sender*/) {
  mVisible = true;
  mClosed = false;
}

void NSWindow::orderOut(id /*sender*/) {
  mVisible = false;
}

BOOL NSWindow::isKeyWindow() const {
  return s_keyWindow == this;
}

void NSWindow::close() {
  orderOut(nullptr);
  mClosed = true;
  if (s_keyWindow == this) s_keyWindow = nullptr;
  if (mReleasedWhenClosed) release();
}

void NSWindow::addChildWindow(NSWindow* child, NSWindowOrderingMode /*place*/) {
  if (!child || child == this || child->mParent) return;
  mChildren.push_back((NSWindow*)child->retain());
  child->mParent = this;
}

void NSWindow::removeChildWindow(NSWindow* child) {
  auto it = std::find(mChildren.begin(), mChildren.end(), child);
  if (it == mChildren.end()) return;
  mChildren.erase(it);
  child->mParent = nullptr;
  child->release();
}

NSArray* NSWindow::childWindows() const {
  return NSArray::arrayWithObjects(std::vector<id>(mChildren.begin(), mChildren.end()));
}

namespace {
void CollectDirty(NSView* v, std::vector<NSView*>* out) {
  if (v->needsDisplay()) out->push_back((NSView*)v->retain());
  for (NSView* s : v->subviews()) CollectDirty(s, out);
}
} // namespace

void NSWindow::displayIfNeeded() {
  if (!mContentView || mClosed) return;
  std::vector<NSView*> dirty;
  CollectDirty(mContentView, &dirty);
  if (dirty.empty()) return;
  Pool pool;
  CGColorSpaceRef rgb = CGColorSpaceCreateDeviceRGB();
  for (NSView* v : dirty) {
    const NSRect r = v->dirtyRect();
    v->clearDirty();
    if (v->window() == this && !CGRectIsEmpty(r)) {
      CGContextRef cg = CGBitmapContextCreate(
          mPixels.data(), (size_t)pixelsWide(), (size_t)pixelsHigh(), 8, (size_t)pixelsWide() * 4,
          rgb, kCGImageAlphaPremultipliedFirst | kCGBitmapByteOrder32Little);
      const NSPoint o = v->originInBase();
      CGContextTranslateCTM(cg, o.x, o.y);
      CGContextClipToRect(cg, r);
      auto* ctx = NSGraphicsContext::graphicsContextWithGraphicsPort(cg, NO);
      NSGraphicsContext* previous = NSGraphicsContext::currentContext();
      NSGraphicsContext::setCurrentContext(ctx);
      v->drawRect(r);
      NSGraphicsContext::setCurrentContext(previous);
      CGContextRelease(cg);
    }
    v->release();
  }
  CGColorSpaceRelease(rgb);
}

void NSWindow::display() {
  struct Walk {
    static void Mark(NSView* v) {
      v->setNeedsDisplay(YES);
      for (NSView* s : v->subviews()) Mark(s);
    }
  };
  if (mContentView) Walk::Mark(mContentView);
  displayIfNeeded();
}

void NSWindow::sendEvent(NSEvent* e) {
  if (!e || mClosed || !mContentView) return;
  retain();
  NSView* target = nullptr;
  switch (e->type()) {
  case NSLeftMouseDown:
  case NSRightMouseDown:
  case NSScrollWheel:
    target = mContentView->hitTest(e->locationInWindow());
    break;
  case NSLeftMouseDragged:
  case NSLeftMouseUp:
  case NSRightMouseDragged:
  case NSRightMouseUp:
    target = mMouseDownView ? mMouseDownView : mContentView->hitTest(e->locationInWindow());
    break;
  default:
    break;
  }
  if (target) target->retain();
  switch (e->type()) {
  case NSLeftMouseDown:
  case NSRightMouseDown:
    if (target) {
      if (target->acceptsFirstResponder()) makeFirstResponder(target);
      if (mMouseDownView) mMouseDownView->release();
      mMouseDownView = (NSView*)target->retain();
      if (e->type() == NSLeftMouseDown)
        target->mouseDown(e);
      else
        target->rightMouseDown(e);
    }
    break;
  case NSLeftMouseDragged:
    if (target) target->mouseDragged(e);
    break;
  case NSRightMouseDragged:
    if (target) target->rightMouseDragged(e);
    break;
  case NSLeftMouseUp:
  case NSRightMouseUp:
    if (mMouseDownView) {
      mMouseDownView->release();
      mMouseDownView = nullptr;
    }
    if (target) {
      if (e->type() == NSLeftMouseUp)
        target->mouseUp(e);
      else
        target->rightMouseUp(e);
    }
    break;
  case NSScrollWheel:
    if (target) target->scrollWheel(e);
    break;
  case NSMouseMoved:
    if (mAcceptsMouseMoved && mFirstResponder) mFirstResponder->mouseMoved(e);
    break;
  case NSKeyDown:
    if (mFirstResponder)
      mFirstResponder->keyDown(e);
    else
      NSResponder::keyDown(e);
    break;
  default:
    break;
  }
  if (target) target->release();
  release();
}

// ---- Hooks

NSWindow* PlatformTest_CreateWindow(int w, int h) {
  auto* win = (new NSWindow)
                  ->initWithContentRect(NSMakeRect(0, 0, w, h), NSTitledWindowMask,
                                        NSBackingStoreBuffered, NO);
  win->setReleasedWhenClosed(NO);
  win->makeKeyAndOrderFront(nullptr);
  return win;
}

void* PlatformTest_CreateWindowRef(int x, int y, int w, int h) {
  void* ref = new char;
  WindowRefs()[ref] = NSMakeRect(x, y, w, h);
  return ref;
}

void PlatformTest_DisposeWindowRef(void* ref) {
  if (WindowRefs().erase(ref)) delete static_cast<char*>(ref);
}

void PlatformTest_AddView(NSWindow* window, NSView* view) {
  if (window && window->contentView()) window->contentView()->addSubview(view);
}

namespace {
NSPoint BasePoint(NSWindow* w, double x, double y) {
  return NSMakePoint(x, w->frame().size.height - y);
}
bool Deliver(NSWindow* w, NSEvent* e) {
  const NSPoint base = e->locationInWindow();
  cocoa::SetMouseLocation(NSMakePoint(w->frame().origin.x + base.x, w->frame().origin.y + base.y));
  {
    Pool pool;
    w->sendEvent(e);
  }
  e->release();
  cocoa::DisplayAllWindows();
  return true;
}
} // namespace

bool PlatformTest_PostMouse(NSWindow* window, int type, double x, double y, int clickCount,
                            unsigned long modifierFlags) {
  if (!window || !window->isVisible() || type < 1 || type > 7) return false;
  auto* e = new NSEvent((NSEventType)type, window, BasePoint(window, x, y), modifierFlags);
  e->setMouse(clickCount);
  return Deliver(window, e);
}

bool PlatformTest_PostKey(NSWindow* window, unsigned short keyCode, const char* chars,
                          unsigned long modifierFlags) {
  if (!window || !window->isVisible()) return false;
  auto* e = new NSEvent(NSKeyDown, window, NSMakePoint(0, 0), modifierFlags);
  e->setKey(keyCode, chars, chars);
  return Deliver(window, e);
}

bool PlatformTest_PostScroll(NSWindow* window, double x, double y, double deltaY,
                             unsigned long modifierFlags) {
  if (!window || !window->isVisible()) return false;
  auto* e = new NSEvent(NSScrollWheel, window, BasePoint(window, x, y), modifierFlags);
  e->setScroll(0, deltaY);
  return Deliver(window, e);
}

NSTextField* PlatformTest_EditedTextField(NSWindow* window) {
  return window ? dynamic_cast<NSTextField*>(window->firstResponder()) : nullptr;
}

int PlatformTest_TypeText(NSWindow* window, const char* text) {
  NSTextField* field = PlatformTest_EditedTextField(window);
  if (!field || !text) return -1;
  Pool pool;
  int taken = 0;
  for (const std::string& c : cocoa::Utf8Characters(text))
    if (field->typeCharacter(c)) ++taken;
  return taken;
}

bool PlatformTest_CommitText(NSWindow* window) {
  NSTextField* field = PlatformTest_EditedTextField(window);
  if (!field) return false;
  {
    Pool pool;
    field->endEditing();
  }
  cocoa::DisplayAllWindows();
  return true;
}

std::string PlatformTest_ToolTipAt(NSWindow* window, double x, double y) {
  if (!window || !window->contentView()) return "";
  Pool pool;
  const NSPoint base = BasePoint(window, x, y);
  for (NSView* v = window->contentView()->hitTest(base); v; v = v->superview()) {
    const NSPoint p = v->convertPoint(base, nullptr);
    const auto& tips = v->toolTips();
    for (auto it = tips.rbegin(); it != tips.rend(); ++it) {
      if (!NSPointInRect(p, it->rect)) continue;
      auto* owner = dynamic_cast<NSViewToolTipOwner*>(it->owner);
      NSString* s = owner ? owner->view(v, it->tag, p, it->userData) : nullptr;
      return s ? s->str() : "";
    }
  }
  return "";
}

const uint32_t* PlatformTest_WindowPixels(NSWindow* window, int* w, int* h) {
  if (!window) return nullptr;
  if (w) *w = window->pixelsWide();
  if (h) *h = window->pixelsHigh();
  return window->pixels();
}

bool PlatformTest_SaveWindowPNG(NSWindow* window, const char* path) {
  if (!window || !path) return false;
  const int w = window->pixelsWide(), h = window->pixelsHigh();
  std::vector<png_byte> rgb((size_t)w * (size_t)h * 3);
  const uint32_t* px = window->pixels();
  for (size_t i = 0; i < (size_t)w * (size_t)h; ++i) {
    rgb[i * 3] = (png_byte)(px[i] >> 16);
    rgb[i * 3 + 1] = (png_byte)(px[i] >> 8);
    rgb[i * 3 + 2] = (png_byte)px[i];
  }
  png_image img;
  memset(&img, 0, sizeof(img));
  img.version = PNG_IMAGE_VERSION;
  img.width = (png_uint_32)w;
  img.height = (png_uint_32)h;
  img.format = PNG_FORMAT_RGB;
  return png_image_write_to_file(&img, path, 0, rgb.data(), 0, nullptr) != 0;
}

void PlatformTest_ResetCocoa(void) {
  cocoa::TheScript() = cocoa::Script();
}

void PlatformTest_ScriptMenuChoice(const std::vector<int>& path) {
  cocoa::TheScript().menuChoices.push_back(path);
}
const PlatformTestMenu& PlatformTest_LastMenu() {
  return cocoa::TheScript().lastMenu;
}
int PlatformTest_MenusShown() {
  return cocoa::TheScript().menusShown;
}
void PlatformTest_ScriptPanel(bool ok, const std::string& path) {
  cocoa::TheScript().panelAnswers.emplace_back(ok, path);
}
const PlatformTestPanel& PlatformTest_LastPanel() {
  return cocoa::TheScript().lastPanel;
}
int PlatformTest_PanelsShown() {
  return cocoa::TheScript().panelsShown;
}
const std::vector<std::string>& PlatformTest_OpenedURLs() {
  return cocoa::TheScript().openedURLs;
}
const std::vector<std::string>& PlatformTest_UnhandledKeys() {
  return cocoa::TheScript().unhandledKeys;
}
