#pragma once
// Releases the objects a successful AudioUnit property get handed over, by property; shared by
// the property tests and the property fuzzer.

#include <AudioToolbox/AudioToolbox.h>
#include <CoreFoundation/CoreFoundation.h>

#include <cstddef>
#include <cstring>

inline void ReleaseGot(UInt32 id, const unsigned char* buf) {
  auto word = [buf](size_t at) {
    CFTypeRef p;
    memcpy(&p, buf + at, sizeof(p));
    return p;
  };
  // A field left null hands nothing over (a parameter without a unit name, say).
  auto CFRelease = [](CFTypeRef p) {
    if (p) ::CFRelease(p);
  };
  switch (id) {
  case kAudioUnitProperty_ClassInfo:
  case kAudioUnitProperty_ParameterValueStrings:
  case kAudioUnitProperty_FactoryPresets:
  case kAudioUnitProperty_ElementName:
  case kAudioUnitProperty_MIDIOutputCallbackInfo:
    CFRelease(word(0));
    break;
  case kAudioUnitProperty_CurrentPreset:
  case kAudioUnitProperty_PresentPreset:
  case kAudioUnitProperty_ParameterIDName:
  case kAudioUnitProperty_ParameterClumpName:
    CFRelease(word(8));
    break;
  case kAudioUnitProperty_ParameterStringFromValue:
    CFRelease(word(16));
    break;
  case kAudioUnitProperty_CocoaUI:
    CFRelease(word(0));
    CFRelease(word(8));
    break;
  case kAudioUnitProperty_ParameterInfo:
    CFRelease(word(offsetof(AudioUnitParameterInfo, unitName)));
    CFRelease(word(offsetof(AudioUnitParameterInfo, cfNameString)));
    break;
  default:
    break;
  }
}
