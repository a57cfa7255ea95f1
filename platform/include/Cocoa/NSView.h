// Events, responders, views and windows of the Cocoa stand-in. Coordinates are points
// (one point is one pixel: every screen has scale 1.0) with the origin at the bottom left,
// y up; a view's frame is in its superview's coordinates.
#pragma once

#include <Cocoa/NSRunLoop.h>

#include <vector>

class NSWindow;
class NSView;

enum NSEventType : NSUInteger {
  NSLeftMouseDown = 1,
  NSLeftMouseUp = 2,
  NSRightMouseDown = 3,
  NSRightMouseUp = 4,
  NSMouseMoved = 5,
  NSLeftMouseDragged = 6,
  NSRightMouseDragged = 7,
  NSKeyDown = 10,
  NSKeyUp = 11,
  NSApplicationDefined = 15,
  NSScrollWheel = 22,
};
enum : NSUInteger {
  NSAlphaShiftKeyMask = 1u << 16,
  NSShiftKeyMask = 1u << 17,
  NSControlKeyMask = 1u << 18,
  NSAlternateKeyMask = 1u << 19,
  NSCommandKeyMask = 1u << 20,
};

class NSGraphicsContext;

class NSEvent : public NSObject {
public:
  // Autoreleased.
  static NSEvent* otherEventWithType(NSEventType type, NSPoint location, NSUInteger modifierFlags,
                                     NSTimeInterval timestamp, NSInteger windowNumber,
                                     NSGraphicsContext* context, short subtype, NSInteger data1,
                                     NSInteger data2);
  // The last mouse position in screen coordinates.
  static NSPoint mouseLocation();

  NSEventType type() const { return mType; }
  // In the window's base coordinates.
  NSPoint locationInWindow() const { return mLocation; }
  NSUInteger modifierFlags() const { return mFlags; }
  NSInteger clickCount() const { return mClickCount; }
  unsigned short keyCode() const { return mKeyCode; }
  NSString* characters() const { return mChars; }
  NSString* charactersIgnoringModifiers() const { return mCharsIgnoring; }
  CGFloat deltaX() const { return mDeltaX; }
  CGFloat deltaY() const { return mDeltaY; }
  NSWindow* window() const { return mWindow; }
  NSInteger windowNumber() const { return mWindowNumber; }
  NSTimeInterval timestamp() const { return mTimestamp; }
  short subtype() const { return mSubtype; }
  NSInteger data1() const { return mData1; }
  NSInteger data2() const { return mData2; }
  ~NSEvent() override;

  // Stand-in construction (what the window server would fill in).
  NSEvent(NSEventType type, NSWindow* window, NSPoint location, NSUInteger flags);
  void setMouse(NSInteger clickCount) { mClickCount = clickCount; }
  void setKey(unsigned short keyCode, const char* chars, const char* charsIgnoringModifiers);
  void setScroll(CGFloat dx, CGFloat dy) {
    mDeltaX = dx;
    mDeltaY = dy;
  }

private:
  NSEventType mType;
  NSWindow* mWindow; // not retained
  NSPoint mLocation;
  NSUInteger mFlags;
  NSInteger mClickCount = 0, mWindowNumber = 0, mData1 = 0, mData2 = 0;
  unsigned short mKeyCode = 0;
  NSString* mChars = nullptr;         // retained
  NSString* mCharsIgnoring = nullptr; // retained
  CGFloat mDeltaX = 0, mDeltaY = 0;
  NSTimeInterval mTimestamp = 0;
  short mSubtype = 0;
};

// The event methods pass the event on to the next responder; keys that no responder takes
// end up in a log a test can read (the platform beeps).
class NSResponder : public NSObject {
public:
  virtual NSResponder* nextResponder() { return nullptr; }
  virtual BOOL acceptsFirstResponder() { return NO; }
  virtual void mouseDown(NSEvent* e);
  virtual void mouseUp(NSEvent* e);
  virtual void mouseDragged(NSEvent* e);
  virtual void rightMouseDown(NSEvent* e);
  virtual void rightMouseUp(NSEvent* e);
  virtual void rightMouseDragged(NSEvent* e);
  virtual void mouseMoved(NSEvent* e);
  virtual void keyDown(NSEvent* e);
  virtual void scrollWheel(NSEvent* e);
};

class NSColor : public NSObject {
public:
  // Autoreleased; components 0..1.
  static NSColor* colorWithCalibratedRed(CGFloat r, CGFloat g, CGFloat b, CGFloat a);
  CGFloat redComponent() const { return mRGBA[0]; }
  CGFloat greenComponent() const { return mRGBA[1]; }
  CGFloat blueComponent() const { return mRGBA[2]; }
  CGFloat alphaComponent() const { return mRGBA[3]; }

private:
  CGFloat mRGBA[4] = {0, 0, 0, 1};
};

class NSFont : public NSObject {
public:
  // Autoreleased; null for a null or empty name or a size below 0. Every face name is
  // known: the stand-in's text is drawn with one family.
  static NSFont* fontWithName(NSString* name, CGFloat size);
  NSString* fontName() const { return mName; }
  CGFloat pointSize() const { return mSize; }
  ~NSFont() override;

private:
  NSString* mName = nullptr;
  CGFloat mSize = 0;
};

class NSGraphicsContext : public NSObject {
public:
  // The context views draw into while a window displays them; null at other times.
  static NSGraphicsContext* currentContext();
  static void setCurrentContext(NSGraphicsContext* context);
  // Autoreleased; retains the CGContextRef. Null for a null port.
  static NSGraphicsContext* graphicsContextWithGraphicsPort(void* port, BOOL flipped);
  // The CGContextRef.
  void* graphicsPort() const { return mPort; }
  BOOL isFlipped() const { return mFlipped; }
  ~NSGraphicsContext() override;

private:
  void* mPort = nullptr;
  bool mFlipped = false;
};

typedef NSInteger NSToolTipTag;

// What a tooltip owner answers (the platform's informal protocol).
class NSViewToolTipOwner {
public:
  // view:stringForToolTip:point:userData:
  virtual NSString* view(NSView* view, NSToolTipTag tag, NSPoint point, void* userData) = 0;

protected:
  ~NSViewToolTipOwner() = default;
};

class NSView : public NSResponder {
public:
  NSView* initWithFrame(NSRect frame);
  // Releases the subviews.
  ~NSView() override;

  NSRect frame() const { return mFrame; }
  NSRect bounds() const { return NSMakeRect(0, 0, mFrame.size.width, mFrame.size.height); }
  void setFrame(NSRect frame) { mFrame = frame; }
  void setFrameSize(NSSize size) { mFrame.size = size; }
  NSView* superview() const { return mSuperview; }
  const std::vector<NSView*>& subviews() const { return mSubviews; }
  NSWindow* window() const { return mWindow; }
  NSResponder* nextResponder() override;

  // Retains the view; it leaves its former superview first.
  void addSubview(NSView* view);
  // The superview lets go of the view (and so releases it).
  virtual void removeFromSuperview();
  virtual void viewDidMoveToWindow() {}
  virtual void drawRect(NSRect /*dirtyRect*/) {}
  virtual BOOL isOpaque() { return NO; }
  virtual BOOL acceptsFirstMouse(NSEvent* /*e*/) { return NO; }

  void setNeedsDisplay(BOOL flag);
  void setNeedsDisplayInRect(NSRect rect);
  BOOL needsDisplay() const { return mHasDirty; }
  // The area waiting to be displayed (view coordinates); empty when none.
  NSRect dirtyRect() const { return mHasDirty ? mDirty : NSMakeRect(0, 0, 0, 0); }

  // From the coordinates of another view of the same window (null: the window's base
  // coordinates) into this view's.
  NSPoint convertPoint(NSPoint p, NSView* fromView) const;
  NSPoint convertPointToBase(NSPoint p) const;
  // The deepest view (this one or below) under a point in the superview's coordinates.
  NSView* hitTest(NSPoint p);

  // The owner is not retained; it must be an NSViewToolTipOwner.
  NSToolTipTag addToolTipRect(NSRect rect, id owner, void* userData);
  void removeAllToolTips();
  struct ToolTip {
    NSToolTipTag tag;
    NSRect rect;
    id owner;
    void* userData;
  };
  const std::vector<ToolTip>& toolTips() const { return mToolTips; }

  // Stand-in: the window reached through the superviews changed.
  void setWindowRecursive(NSWindow* window);
  // Stand-in: sets the superview without retaining (a window's content view).
  void setSuperviewWeak(NSView* superview) { mSuperview = superview; }
  // Stand-in: forgets the waiting area after display.
  void clearDirty() { mHasDirty = false; }
  // Stand-in: the view's origin in its window's base coordinates.
  NSPoint originInBase() const;
  BOOL isDescendantOf(NSView* view) const;

private:
  void detach();
  NSRect mFrame = NSMakeRect(0, 0, 0, 0);
  NSView* mSuperview = nullptr; // not retained
  std::vector<NSView*> mSubviews;
  NSWindow* mWindow = nullptr; // not retained
  bool mHasDirty = false;
  NSRect mDirty = NSMakeRect(0, 0, 0, 0);
  std::vector<ToolTip> mToolTips;
  NSToolTipTag mNextTag = 1;
};

class NSScreen : public NSObject {
public:
  // Lives for the process.
  static NSScreen* mainScreen();
  NSRect frame() const;
  CGFloat backingScaleFactor() const { return 1.0; }
};

enum NSBackingStoreType : NSUInteger {
  NSBackingStoreRetained = 0,
  NSBackingStoreNonretained = 1,
  NSBackingStoreBuffered = 2,
};
enum : NSUInteger {
  NSBorderlessWindowMask = 0,
  NSTitledWindowMask = 1,
};
enum NSWindowOrderingMode : NSInteger {
  NSWindowBelow = -1,
  NSWindowOut = 0,
  NSWindowAbove = 1,
};

// A window owns its content view and a framebuffer of its content size: 32-bit pixels
// 0xAARRGGBB, top row first, which views draw into when the window displays them.
class NSWindow : public NSResponder {
public:
  // contentRect: in screen coordinates; its size is the framebuffer's (at least 1 x 1).
  NSWindow* initWithContentRect(NSRect contentRect, NSUInteger styleMask,
                                NSBackingStoreType backing, BOOL defer);
  // The stand-in has no windows of the older toolbox: releases this and answers null.
  NSWindow* initWithWindowRef(void* windowRef);
  ~NSWindow() override;

  NSView* contentView() const { return mContentView; }
  // Retains the new view and releases the old one.
  void setContentView(NSView* view);
  NSRect frame() const { return mFrame; }
  NSInteger windowNumber() const { return mNumber; }
  NSScreen* screen() const { return NSScreen::mainScreen(); }
  CGFloat backingScaleFactor() const { return 1.0; }

  // Refused (NO) for a responder that does not accept; null makes the window itself first
  // responder. A text field that loses first responder ends its editing first.
  BOOL makeFirstResponder(NSResponder* responder);
  NSResponder* firstResponder() const { return mFirstResponder; }
  void setAcceptsMouseMovedEvents(BOOL flag) { mAcceptsMouseMoved = flag; }
  BOOL acceptsMouseMovedEvents() const { return mAcceptsMouseMoved; }
  virtual BOOL canBecomeKeyWindow() { return mStyle != NSBorderlessWindowMask; }

  void makeKeyAndOrderFront(id sender);
  void orderFront(id sender);
  void orderOut(id sender);
  BOOL isVisible() const { return mVisible; }
  BOOL isKeyWindow() const;
  // Orders the window out; releases it when it is released when closed.
  void close();
  void setOpaque(BOOL flag) { mOpaque = flag; }
  void setCanHide(BOOL flag) { mCanHide = flag; }
  void setHasShadow(BOOL flag) { mHasShadow = flag; }
  void setReleasedWhenClosed(BOOL flag) { mReleasedWhenClosed = flag; }
  // Retains the child.
  void addChildWindow(NSWindow* child, NSWindowOrderingMode place);
  void removeChildWindow(NSWindow* child);
  // Autoreleased array.
  NSArray* childWindows() const;
  NSWindow* parentWindow() const { return mParent; }

  // Draws every view that waits for display, parents before children.
  void displayIfNeeded();
  // Marks every view for display, then displays.
  void display();
  // Routes an event as the window server would: mouse down and wheel to the view under the
  // point, drags and ups to the view that took the down, keys and mouse-moved to the
  // first responder.
  void sendEvent(NSEvent* e);

  // Stand-in: a view (or one above it) leaves the window: it stops being first responder
  // or the target of a mouse drag.
  void viewWillLeave(NSView* view);
  // Stand-in: the framebuffer.
  uint32_t* pixels() { return mPixels.data(); }
  int pixelsWide() const { return (int)mFrame.size.width; }
  int pixelsHigh() const { return (int)mFrame.size.height; }

private:
  NSRect mFrame = NSMakeRect(0, 0, 0, 0);
  NSUInteger mStyle = 0;
  NSView* mContentView = nullptr; // retained
  NSResponder* mFirstResponder = nullptr;
  NSView* mMouseDownView = nullptr; // retained between down and up
  NSWindow* mParent = nullptr;
  std::vector<NSWindow*> mChildren; // retained
  std::vector<uint32_t> mPixels;
  NSInteger mNumber = 0;
  bool mAcceptsMouseMoved = false, mVisible = false, mOpaque = true, mCanHide = true,
       mHasShadow = true, mReleasedWhenClosed = true, mClosed = false;
};
