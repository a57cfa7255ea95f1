// AudioComponent registry and instances of the AudioUnit stand-in.
#pragma once

#include <CoreServices/CoreServices.h>
#include <CoreFoundation/CFString.h>

typedef struct OpaqueAudioComponent* AudioComponent;
// One record stands for both the component instance and the AudioUnit.
typedef ComponentInstance AudioComponentInstance;

struct AudioComponentDescription {
  OSType componentType;
  OSType componentSubType;
  OSType componentManufacturer;
  UInt32 componentFlags;
  UInt32 componentFlagsMask;
};

typedef OSStatus (*AudioComponentMethod)(void* self, ...);

// The record a component's factory hands out; the platform calls its words with the record
// itself as self.
struct AudioComponentPlugInInterface {
  OSStatus (*Open)(void* self, AudioComponentInstance mInstance);
  OSStatus (*Close)(void* self);
  AudioComponentMethod (*Lookup)(SInt16 selector);
  void* reserved;
};

typedef AudioComponentPlugInInterface* (*AudioComponentFactoryFunction)(
    const AudioComponentDescription* inDesc);

extern "C" {
// Registers a factory under a description (zero codes, name and version are kept as given).
// Null for a null factory. Main thread.
AudioComponent AudioComponentRegister(const AudioComponentDescription* inDesc, CFStringRef inName,
                                      UInt32 inVersion, AudioComponentFactoryFunction inFactory);
// The first registered component after inComponent (null: from the start) whose codes match
// every non-zero code of inDesc; null when none.
AudioComponent AudioComponentFindNext(AudioComponent inComponent,
                                      const AudioComponentDescription* inDesc);
// Fills the component's description; -50 (paramErr) for a null argument or unknown component.
OSStatus AudioComponentGetDescription(AudioComponent inComponent,
                                      AudioComponentDescription* outDesc);
// Calls the factory and the interface's Open; on success *outInstance is the new instance.
// Open's status is returned, and the instance is closed again when it fails. Main thread.
OSStatus AudioComponentInstanceNew(AudioComponent inComponent, AudioComponentInstance* outInstance);
// Calls the interface's Close and forgets the instance; -50 for an unknown one. Main thread.
OSStatus AudioComponentInstanceDispose(AudioComponentInstance inInstance);
// Null for an instance the platform does not know.
AudioComponent AudioComponentInstanceGetComponent(AudioComponentInstance inInstance);
// Whether the instance's interface offers a method for the selector.
Boolean AudioComponentInstanceCanDo(AudioComponentInstance inInstance, SInt16 inSelectorID);
}

constexpr OSStatus paramErr = -50;
