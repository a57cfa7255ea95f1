// Timers and the run loop of the Cocoa stand-in. The run loop keeps a virtual clock that
// only a host or a test moves forward (PlatformTest_AdvanceRunLoop): due timers fire, then
// windows display what needs display. One run loop for the process; main thread only.
#pragma once

#include <Cocoa/NSString.h>

class NSTimer : public NSObject {
public:
  // Autoreleased and not yet scheduled. Retains target and userInfo until invalidated
  // (a one-shot timer is invalidated after it fired). interval in seconds; below 0.1 ms
  // counts as 0.1 ms, as on the platform.
  static NSTimer* timerWithTimeInterval(NSTimeInterval interval, id target, SEL selector,
                                        id userInfo, BOOL repeats);
  ~NSTimer() override;
  // Stops the timer for good and lets go of the target, the user info and the run loop's
  // reference.
  void invalidate();
  BOOL isValid() const { return mValid; }
  NSTimeInterval timeInterval() const { return mInterval; }
  id userInfo() const { return mUserInfo; }
  // Sends the action now; a one-shot timer is then invalidated.
  void fire();

private:
  friend class NSRunLoop;
  friend class NSObject;
  NSTimeInterval mInterval = 0;
  id mTarget = nullptr, mUserInfo = nullptr;
  SEL mSelector = nullptr;
  bool mRepeats = false, mValid = true, mScheduled = false;
  bool mSendUserInfo = false; // performSelector's timers pass the argument, not the timer
  int64_t mFireAtUs = 0;      // on the virtual clock
};

extern NSString* const NSDefaultRunLoopMode;
extern NSString* const NSRunLoopCommonModes;
#define kCFRunLoopCommonModes NSRunLoopCommonModes

class NSRunLoop : public NSObject {
public:
  // The process's run loop (not retained; lives for the process).
  static NSRunLoop* currentRunLoop();
  static NSRunLoop* mainRunLoop() { return currentRunLoop(); }
  // Schedules the timer (retained until invalidated) to fire one interval from now.
  void addTimer(NSTimer* timer, NSString* mode);
  // Stand-in: moves the virtual clock on, firing due timers and displaying windows.
  void advanceBy(int64_t microseconds);
};
