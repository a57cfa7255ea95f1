// AudioComponent registry, component instances with their storage, and the AudioUnit calls
// dispatched through an instance's interface.
#include "PlatformTestHooks.h"

#include <AudioToolbox/AudioToolbox.h>
#include <CoreServices/CoreServices.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

struct OpaqueAudioComponent {
  AudioComponentDescription desc;
  AudioComponentFactoryFunction factory;
  UInt32 version;
  std::string name;
};

// One record per open instance: the factory's interface (AudioComponent path) or only the
// storage (Component Manager path, no interface).
struct ComponentInstanceRecord {
  AudioComponent component = nullptr;
  AudioComponentPlugInInterface* iface = nullptr;
  Handle storage = nullptr;
};

namespace {
struct Registry {
  std::mutex lock;
  std::vector<std::unique_ptr<OpaqueAudioComponent>> components;
  std::vector<ComponentInstanceRecord*> instances;
};
Registry& Reg() {
  static Registry* r = new Registry; // lives until the process ends
  return *r;
}
// Whether inst is an open instance; the caller holds the lock.
bool Known(Registry& r, ComponentInstance inst) {
  return inst && std::find(r.instances.begin(), r.instances.end(), inst) != r.instances.end();
}
// The instance's interface, or null for an unknown instance or one without interface.
AudioComponentPlugInInterface* IfaceOf(ComponentInstance inst) {
  Registry& r = Reg();
  std::lock_guard<std::mutex> g(r.lock);
  return Known(r, inst) ? inst->iface : nullptr;
}
} // namespace

AudioComponent AudioComponentRegister(const AudioComponentDescription* inDesc, CFStringRef inName,
                                      UInt32 inVersion, AudioComponentFactoryFunction inFactory) {
  if (!inDesc || !inFactory) return nullptr;
  auto c = std::make_unique<OpaqueAudioComponent>();
  c->desc = *inDesc;
  c->factory = inFactory;
  c->version = inVersion;
  const char* n = inName ? CFStringGetCStringPtr(inName, kCFStringEncodingUTF8) : nullptr;
  if (n) c->name = n; // a component may go without a name
  Registry& r = Reg();
  std::lock_guard<std::mutex> g(r.lock);
  r.components.push_back(std::move(c));
  return r.components.back().get();
}

AudioComponent AudioComponentFindNext(AudioComponent inComponent,
                                      const AudioComponentDescription* inDesc) {
  if (!inDesc) return nullptr;
  Registry& r = Reg();
  std::lock_guard<std::mutex> g(r.lock);
  bool after = inComponent == nullptr;
  for (auto& c : r.components) {
    if (!after) {
      after = c.get() == inComponent;
      continue;
    }
    const AudioComponentDescription& d = c->desc;
    if ((!inDesc->componentType || inDesc->componentType == d.componentType) &&
        (!inDesc->componentSubType || inDesc->componentSubType == d.componentSubType) &&
        (!inDesc->componentManufacturer ||
         inDesc->componentManufacturer == d.componentManufacturer))
      return c.get();
  }
  return nullptr;
}

OSStatus AudioComponentGetDescription(AudioComponent inComponent,
                                      AudioComponentDescription* outDesc) {
  if (!inComponent || !outDesc) return paramErr;
  Registry& r = Reg();
  std::lock_guard<std::mutex> g(r.lock);
  for (auto& c : r.components)
    if (c.get() == inComponent) {
      *outDesc = c->desc;
      return noErr;
    }
  return paramErr;
}

OSStatus AudioComponentInstanceNew(AudioComponent inComponent,
                                   AudioComponentInstance* outInstance) {
  if (!outInstance) return paramErr;
  *outInstance = nullptr;
  AudioComponentDescription desc;
  OSStatus err = AudioComponentGetDescription(inComponent, &desc);
  if (err) return err;
  AudioComponentPlugInInterface* iface = inComponent->factory(&desc);
  if (!iface || !iface->Open || !iface->Close || !iface->Lookup) return paramErr;
  auto* inst = new ComponentInstanceRecord;
  inst->component = inComponent;
  inst->iface = iface;
  {
    Registry& r = Reg();
    std::lock_guard<std::mutex> g(r.lock);
    r.instances.push_back(inst);
  }
  err = iface->Open(iface, inst);
  if (err) {
    AudioComponentInstanceDispose(inst);
    return err;
  }
  *outInstance = inst;
  return noErr;
}

OSStatus AudioComponentInstanceDispose(AudioComponentInstance inInstance) {
  AudioComponentPlugInInterface* iface = nullptr;
  {
    Registry& r = Reg();
    std::lock_guard<std::mutex> g(r.lock);
    auto it = std::find(r.instances.begin(), r.instances.end(), inInstance);
    if (it == r.instances.end()) return paramErr;
    r.instances.erase(it);
    iface = inInstance->iface;
  }
  OSStatus err = iface ? iface->Close(iface) : noErr;
  delete inInstance;
  return err;
}

AudioComponent AudioComponentInstanceGetComponent(AudioComponentInstance inInstance) {
  Registry& r = Reg();
  std::lock_guard<std::mutex> g(r.lock);
  return Known(r, inInstance) ? inInstance->component : nullptr;
}

Boolean AudioComponentInstanceCanDo(AudioComponentInstance inInstance, SInt16 inSelectorID) {
  AudioComponentPlugInInterface* iface = IfaceOf(inInstance);
  return iface && iface->Lookup(inSelectorID) != nullptr;
}

void SetComponentInstanceStorage(ComponentInstance instance, Handle storage) {
  Registry& r = Reg();
  std::lock_guard<std::mutex> g(r.lock);
  if (Known(r, instance)) instance->storage = storage;
}

Handle GetComponentInstanceStorage(ComponentInstance instance) {
  Registry& r = Reg();
  std::lock_guard<std::mutex> g(r.lock);
  return Known(r, instance) ? instance->storage : nullptr;
}

ComponentInstance PlatformTest_NewComponentInstance(void) {
  auto* inst = new ComponentInstanceRecord;
  Registry& r = Reg();
  std::lock_guard<std::mutex> g(r.lock);
  r.instances.push_back(inst);
  return inst;
}

void PlatformTest_DisposeComponentInstance(ComponentInstance instance) {
  Registry& r = Reg();
  std::lock_guard<std::mutex> g(r.lock);
  auto it = std::find(r.instances.begin(), r.instances.end(), instance);
  if (it == r.instances.end()) return;
  r.instances.erase(it);
  delete instance;
}

// ---- AudioUnit calls: the instance's method for the selector, called with the interface ----

namespace {
template <class FN, class... ARGS>
OSStatus Dispatch(AudioUnit unit, SInt16 selector, ARGS... args) {
  AudioComponentPlugInInterface* iface = IfaceOf(unit);
  if (!iface) return paramErr;
  AudioComponentMethod m = iface->Lookup(selector);
  if (!m) return badComponentSelector;
  return reinterpret_cast<FN>(m)(iface, args...);
}
} // namespace

OSStatus AudioUnitInitialize(AudioUnit inUnit) {
  return Dispatch<AudioUnitInitializeProc>(inUnit, kAudioUnitInitializeSelect);
}

OSStatus AudioUnitUninitialize(AudioUnit inUnit) {
  return Dispatch<AudioUnitUninitializeProc>(inUnit, kAudioUnitUninitializeSelect);
}

OSStatus AudioUnitGetPropertyInfo(AudioUnit inUnit, AudioUnitPropertyID inID,
                                  AudioUnitScope inScope, AudioUnitElement inElement,
                                  UInt32* outDataSize, Boolean* outWritable) {
  return Dispatch<AudioUnitGetPropertyInfoProc>(inUnit, kAudioUnitGetPropertyInfoSelect, inID,
                                                inScope, inElement, outDataSize, outWritable);
}

OSStatus AudioUnitGetProperty(AudioUnit inUnit, AudioUnitPropertyID inID, AudioUnitScope inScope,
                              AudioUnitElement inElement, void* outData, UInt32* ioDataSize) {
  return Dispatch<AudioUnitGetPropertyProc>(inUnit, kAudioUnitGetPropertySelect, inID, inScope,
                                            inElement, outData, ioDataSize);
}

OSStatus AudioUnitSetProperty(AudioUnit inUnit, AudioUnitPropertyID inID, AudioUnitScope inScope,
                              AudioUnitElement inElement, const void* inData, UInt32 inDataSize) {
  return Dispatch<AudioUnitSetPropertyProc>(inUnit, kAudioUnitSetPropertySelect, inID, inScope,
                                            inElement, inData, inDataSize);
}

OSStatus AudioUnitAddPropertyListener(AudioUnit inUnit, AudioUnitPropertyID inID,
                                      AudioUnitPropertyListenerProc inProc, void* inProcUserData) {
  return Dispatch<AudioUnitAddPropertyListenerProc>(inUnit, kAudioUnitAddPropertyListenerSelect,
                                                    inID, inProc, inProcUserData);
}

OSStatus AudioUnitRemovePropertyListenerWithUserData(AudioUnit inUnit, AudioUnitPropertyID inID,
                                                     AudioUnitPropertyListenerProc inProc,
                                                     void* inProcUserData) {
  return Dispatch<AudioUnitRemovePropertyListenerWithUserDataProc>(
      inUnit, kAudioUnitRemovePropertyListenerWithUserDataSelect, inID, inProc, inProcUserData);
}

OSStatus AudioUnitAddRenderNotify(AudioUnit inUnit, AURenderCallback inProc, void* inProcUserData) {
  return Dispatch<AudioUnitAddRenderNotifyProc>(inUnit, kAudioUnitAddRenderNotifySelect, inProc,
                                                inProcUserData);
}

OSStatus AudioUnitRemoveRenderNotify(AudioUnit inUnit, AURenderCallback inProc,
                                     void* inProcUserData) {
  return Dispatch<AudioUnitRemoveRenderNotifyProc>(inUnit, kAudioUnitRemoveRenderNotifySelect,
                                                   inProc, inProcUserData);
}

OSStatus AudioUnitGetParameter(AudioUnit inUnit, AudioUnitParameterID inID, AudioUnitScope inScope,
                               AudioUnitElement inElement, AudioUnitParameterValue* outValue) {
  return Dispatch<AudioUnitGetParameterProc>(inUnit, kAudioUnitGetParameterSelect, inID, inScope,
                                             inElement, outValue);
}

OSStatus AudioUnitSetParameter(AudioUnit inUnit, AudioUnitParameterID inID, AudioUnitScope inScope,
                               AudioUnitElement inElement, AudioUnitParameterValue inValue,
                               UInt32 inBufferOffsetInFrames) {
  return Dispatch<AudioUnitSetParameterProc>(inUnit, kAudioUnitSetParameterSelect, inID, inScope,
                                             inElement, inValue, inBufferOffsetInFrames);
}

OSStatus AudioUnitScheduleParameters(AudioUnit inUnit,
                                     const AudioUnitParameterEvent* inParameterEvent,
                                     UInt32 inNumParamEvents) {
  return Dispatch<AudioUnitScheduleParametersProc>(inUnit, kAudioUnitScheduleParametersSelect,
                                                   inParameterEvent, inNumParamEvents);
}

OSStatus AudioUnitRender(AudioUnit inUnit, AudioUnitRenderActionFlags* ioActionFlags,
                         const AudioTimeStamp* inTimeStamp, UInt32 inOutputBusNumber,
                         UInt32 inNumberFrames, AudioBufferList* ioData) {
  return Dispatch<AudioUnitRenderProc>(inUnit, kAudioUnitRenderSelect, ioActionFlags, inTimeStamp,
                                       inOutputBusNumber, inNumberFrames, ioData);
}

OSStatus AudioUnitReset(AudioUnit inUnit, AudioUnitScope inScope, AudioUnitElement inElement) {
  return Dispatch<AudioUnitResetProc>(inUnit, kAudioUnitResetSelect, inScope, inElement);
}

OSStatus MusicDeviceMIDIEvent(AudioUnit inUnit, UInt32 inStatus, UInt32 inData1, UInt32 inData2,
                              UInt32 inOffsetSampleFrame) {
  return Dispatch<MusicDeviceMIDIEventProc>(inUnit, kMusicDeviceMIDIEventSelect, inStatus, inData1,
                                            inData2, inOffsetSampleFrame);
}

OSStatus MusicDeviceSysEx(AudioUnit inUnit, const UInt8* inData, UInt32 inLength) {
  return Dispatch<MusicDeviceSysExProc>(inUnit, kMusicDeviceSysExSelect, inData, inLength);
}
