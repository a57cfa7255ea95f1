// The Carbon editor-view component's selector and opaque window types.
#pragma once

#include <AudioUnit/AUComponent.h>

typedef struct OpaqueWindowPtr* WindowRef;
typedef struct OpaqueControlRef* ControlRef;

enum : SInt16 { kAudioUnitCarbonViewCreateSelect = 0x0301 };
