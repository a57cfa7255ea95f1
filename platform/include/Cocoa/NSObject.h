// Objects of the Cocoa stand-in: reference-counted C++ classes with the platform's class
// and method names. `new T` is alloc (count 1); init methods return this; release at 0
// destroys. A multi-part selector is the method named after its first part.
// Main thread only, except where a function says otherwise.
#pragma once

#include <CoreGraphics/CGGeometry.h>

#include <climits>
#include <cstddef>
#include <cstdint>

// The same type as the GDI emulation's BOOL, so that both headers can meet.
typedef int BOOL;
#ifndef YES
#define YES ((BOOL)1)
#define NO ((BOOL)0)
#endif
typedef long NSInteger;
typedef unsigned long NSUInteger;
typedef double NSTimeInterval;
typedef uint16_t unichar;
typedef CGRect NSRect;
typedef CGPoint NSPoint;
typedef CGSize NSSize;

const NSInteger NSNotFound = LONG_MAX;

inline NSRect NSMakeRect(CGFloat x, CGFloat y, CGFloat w, CGFloat h) {
  return CGRectMake(x, y, w, h);
}
inline NSPoint NSMakePoint(CGFloat x, CGFloat y) {
  return CGPointMake(x, y);
}
inline NSSize NSMakeSize(CGFloat w, CGFloat h) {
  return CGSizeMake(w, h);
}
inline BOOL NSPointInRect(NSPoint p, NSRect r) {
  return p.x >= r.origin.x && p.y >= r.origin.y && p.x < r.origin.x + r.size.width &&
         p.y < r.origin.y + r.size.height;
}

class NSObject;
typedef NSObject* id;

// A selector: its name and the action method it calls on objects of the declaring class.
struct objc_selector {
  const char* name;
  bool (*responds)(id target);
  void (*perform)(id target, id arg);
};
typedef const objc_selector* SEL;

// @selector(name) for the action method T::M (one argument, the sender).
template <class T, void (T::*M)(id)> SEL NSSelector(const char* name) {
  static const objc_selector s{name, [](id t) { return dynamic_cast<T*>(t) != nullptr; },
                               [](id t, id arg) {
                                 if (T* o = dynamic_cast<T*>(t)) (o->*M)(arg);
                               }};
  return &s;
}

// A class the runtime can find by name (NSClassFromString); alloc + init in one call.
struct objc_class {
  const char* name;
  id (*allocInit)();
};
typedef const objc_class* Class;

class NSString;

class NSObject {
public:
  NSObject();
  // dealloc; runs when the count reaches 0.
  virtual ~NSObject();
  NSObject(const NSObject&) = delete;
  NSObject& operator=(const NSObject&) = delete;

  NSObject* init() { return this; }
  id retain();
  void release();
  // Released when the innermost autorelease pool of this thread is drained. Without a
  // pool the object leaks, with a warning on stderr, as on the platform.
  id autorelease();
  NSUInteger retainCount() const;

  BOOL respondsToSelector(SEL s) { return s && s->responds(this); }
  // Calls the action now.
  void performSelector(SEL s, id arg);
  // Calls the action after the delay, from the run loop; retains this and arg until then.
  void performSelector(SEL s, id arg, NSTimeInterval afterDelay);

private:
  long mRefs;
};

// Registers a class under its name, as the runtime does when the binary is loaded.
// Any thread; false when the name is taken or an argument is null.
extern "C" bool PlatformRegisterClass(const objc_class* cls);
// Forgets the class when it is the one registered under its name (a bundle that goes away).
// Any thread.
extern "C" void PlatformUnregisterClass(const objc_class* cls);
// The registered class of that name, null when none.
Class NSClassFromString(NSString* name);

class NSAutoreleasePool : public NSObject {
public:
  // Pushes the pool on this thread's stack (done by init, as on the platform).
  NSAutoreleasePool* init();
  ~NSAutoreleasePool() override;
  // Releases the objects added since init; pools above this one are drained first.
  void drain() { release(); }
  void addObject(id obj);

private:
  bool mPushed = false;
  struct Entries;
  Entries* mEntries = nullptr;
};
