// AudioUnit parameter and property events of the AudioToolbox stand-in. Events are
// delivered at once, on the thread that posts them, to every listener whose registration
// matches.
#pragma once

#include <AudioUnit/AudioUnit.h>

typedef struct __CFRunLoop* CFRunLoopRef;

typedef UInt32 AudioUnitEventType;
enum : AudioUnitEventType {
  kAudioUnitEvent_ParameterValueChange = 0,
  kAudioUnitEvent_BeginParameterChangeGesture = 1,
  kAudioUnitEvent_EndParameterChangeGesture = 2,
  kAudioUnitEvent_PropertyChange = 3,
};

// Registering this id listens to every parameter of the unit.
enum : AudioUnitParameterID { kAUParameterListener_AnyParameter = 0xFFFFFFFF };

struct AudioUnitEvent {
  AudioUnitEventType mEventType;
  union {
    AudioUnitParameter mParameter; // the parameter events
    AudioUnitProperty mProperty;   // kAudioUnitEvent_PropertyChange
  } mArgument;
};

typedef struct AUListenerBase* AUEventListenerRef;
typedef AUEventListenerRef AUParameterListenerRef;

typedef void (*AUEventListenerProc)(void* inCallbackRefCon, void* inObject,
                                    const AudioUnitEvent* inEvent, UInt64 inEventHostTime,
                                    AudioUnitParameterValue inParameterValue);

extern "C" {
// The run loop, mode, granularity and interval are accepted and unused. -50 for a null
// procedure or out pointer. Main thread.
OSStatus AUEventListenerCreate(AUEventListenerProc inProc, void* inUserData, CFRunLoopRef inRunLoop,
                               CFStringRef inRunLoopMode, Float32 inNotificationInterval,
                               Float32 inValueChangeGranularity, AUEventListenerRef* outListener);
// Listens to one event type of one unit (the parameter id, scope and element must match too,
// unless the id is kAUParameterListener_AnyParameter). Main thread.
OSStatus AUEventListenerAddEventType(AUEventListenerRef inListener, void* inObject,
                                     const AudioUnitEvent* inEvent);
OSStatus AUEventListenerRemoveEventType(AUEventListenerRef inListener, void* inObject,
                                        const AudioUnitEvent* inEvent);
// Main thread; the listener is gone when it returns.
OSStatus AUListenerDispose(AUEventListenerRef inListener);
// Delivers the event to every matching listener except inSendingListener. A parameter event
// carries the parameter's present value (read with AudioUnitGetParameter). Any thread.
OSStatus AUEventListenerNotify(AUEventListenerRef inSendingListener, void* inSendingObject,
                               const AudioUnitEvent* inEvent);
}
