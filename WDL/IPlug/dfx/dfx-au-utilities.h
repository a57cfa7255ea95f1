#pragma once
// Reference-counted factory preset records and the array call-backs that hold them, so that a
// host can release the FactoryPresets array like any other.

#include <AudioUnit/AudioUnit.h>
#include <CoreFoundation/CoreFoundation.h>

// The platform's AUPreset first, so a host can read a record as an AUPreset.
struct CFAUPreset {
  AUPreset auPreset;
  UInt32 version;           // always 0
  CFAllocatorRef allocator; // what allocated the record; frees it
  CFIndex retainCount;      // 1 at creation
};
typedef const CFAUPreset* CFAUPresetRef;

// Filled before the host can call anything; never changes afterwards.
extern const CFArrayCallBacks kCFAUPresetArrayCallBacks;

// A new record with a copy of the name (may be null); null when it cannot be allocated.
// Any thread; a record is used by one thread at a time.
CFAUPresetRef CFAUPresetCreate(CFAllocatorRef inAllocator, SInt32 inPresetNumber,
                               CFStringRef inPresetName);
// Null gives null.
CFAUPresetRef CFAUPresetRetain(const void* inPreset);
// Null and records whose count is already 0 or below are ignored; at 0 the record is freed.
void CFAUPresetRelease(const void* inPreset);
// "AUPreset:\npreset number = %d\npreset name = %@"; null for null.
CFStringRef CFAUPresetCopyDescription(const void* inPreset);
// Equal numbers and names.
Boolean CFAUPresetEqual(const void* inPreset1, const void* inPreset2);

// The array call-backs.
const void* CFAUPresetArrayRetainCallBack(CFAllocatorRef inAllocator, const void* inPreset);
void CFAUPresetArrayReleaseCallBack(CFAllocatorRef inAllocator, const void* inPreset);
CFStringRef CFAUPresetArrayCopyDescriptionCallBack(const void* inPreset);
Boolean CFAUPresetArrayEqualCallBack(const void* inPreset1, const void* inPreset2);
