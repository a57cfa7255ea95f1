// The AudioComponent factory block with its method lookup, and the Component Manager entries
// of the AudioUnit and of the Carbon view.
#include "WDL/IPlug/IPlugAU.h"

#include <cassert>
#include <cstdlib>
#include <cstring>

namespace {
constexpr int kOpenWord = 0, kCloseWord = 1, kLookupWord = 2, kConstructWord = 4, kDestructWord = 5;

typedef void* (*ConstructFn)(void* memory, AudioComponentInstance compInst);
typedef void (*DestructFn)(void* memory);

// Room before the object so that it keeps the alignment new would give it.
constexpr size_t kObjOffset = (sizeof(IPlugAUFactoryBlock) + alignof(std::max_align_t) - 1) &
                              ~(alignof(std::max_align_t) - 1);

IPlugAU* Plug(void* self) {
  return IPlugAUFactoryBase::PlugOf(self);
}

// The methods Lookup hands out: the platform's signature for each selector, forwarding to
// the binding's entry with the object that follows the interface words.
OSStatus AUMethodInitialize(void* self) {
  return IPlugAU::DoInitialize(Plug(self));
}
OSStatus AUMethodUninitialize(void* self) {
  return IPlugAU::DoUninitialize(Plug(self));
}
OSStatus AUMethodGetPropertyInfo(void* self, AudioUnitPropertyID prop, AudioUnitScope scope,
                                 AudioUnitElement elem, UInt32* outDataSize, Boolean* outWritable) {
  return IPlugAU::DoGetPropertyInfo(Plug(self), prop, scope, elem, outDataSize, outWritable);
}
OSStatus AUMethodGetProperty(void* self, AudioUnitPropertyID inID, AudioUnitScope inScope,
                             AudioUnitElement inElement, void* outData, UInt32* ioDataSize) {
  return IPlugAU::DoGetProperty(Plug(self), inID, inScope, inElement, outData, ioDataSize);
}
OSStatus AUMethodSetProperty(void* self, AudioUnitPropertyID inID, AudioUnitScope inScope,
                             AudioUnitElement inElement, const void* inData, UInt32 inDataSize) {
  return IPlugAU::DoSetProperty(Plug(self), inID, inScope, inElement, inData, inDataSize);
}
OSStatus AUMethodAddPropertyListener(void* self, AudioUnitPropertyID prop,
                                     AudioUnitPropertyListenerProc proc, void* userData) {
  return IPlugAU::DoAddPropertyListener(Plug(self), prop, proc, userData);
}
OSStatus AUMethodRemovePropertyListener(void* self, AudioUnitPropertyID prop,
                                        AudioUnitPropertyListenerProc proc) {
  return IPlugAU::DoRemovePropertyListener(Plug(self), prop, proc);
}
OSStatus AUMethodRemovePropertyListenerWithUserData(void* self, AudioUnitPropertyID prop,
                                                    AudioUnitPropertyListenerProc proc,
                                                    void* userData) {
  return IPlugAU::DoRemovePropertyListenerWithUserData(Plug(self), prop, proc, userData);
}
OSStatus AUMethodAddRenderNotify(void* self, AURenderCallback proc, void* userData) {
  return IPlugAU::DoAddRenderNotify(Plug(self), proc, userData);
}
OSStatus AUMethodRemoveRenderNotify(void* self, AURenderCallback proc, void* userData) {
  return IPlugAU::DoRemoveRenderNotify(Plug(self), proc, userData);
}
OSStatus AUMethodGetParameter(void* self, AudioUnitParameterID param, AudioUnitScope scope,
                              AudioUnitElement elem, AudioUnitParameterValue* value) {
  return IPlugAU::DoGetParameter(Plug(self), param, scope, elem, value);
}
OSStatus AUMethodSetParameter(void* self, AudioUnitParameterID param, AudioUnitScope scope,
                              AudioUnitElement elem, AudioUnitParameterValue value,
                              UInt32 bufferOffset) {
  return IPlugAU::DoSetParameter(Plug(self), param, scope, elem, value, bufferOffset);
}
OSStatus AUMethodScheduleParameters(void* self, const AudioUnitParameterEvent* events,
                                    UInt32 numEvents) {
  return IPlugAU::DoScheduleParameters(Plug(self), events, numEvents);
}
OSStatus AUMethodRender(void* self, AudioUnitRenderActionFlags* ioActionFlags,
                        const AudioTimeStamp* inTimeStamp, UInt32 inOutputBusNumber,
                        UInt32 inNumberFrames, AudioBufferList* ioData) {
  return IPlugAU::DoRender(Plug(self), ioActionFlags, inTimeStamp, inOutputBusNumber,
                           inNumberFrames, ioData);
}
OSStatus AUMethodReset(void* self, AudioUnitScope, AudioUnitElement) {
  return IPlugAU::DoReset(Plug(self));
}
OSStatus AUMethodMIDIEvent(void* self, UInt32 inStatus, UInt32 inData1, UInt32 inData2,
                           UInt32 inOffsetSampleFrame) {
  return IPlugAU::DoMIDIEvent(Plug(self), inStatus, inData1, inData2, inOffsetSampleFrame);
}
OSStatus AUMethodSysEx(void* self, const UInt8* inData, UInt32 inLength) {
  return IPlugAU::DoSysEx(Plug(self), inData, inLength);
}

template <class FN> AudioComponentMethod Method(FN fn) {
  return reinterpret_cast<AudioComponentMethod>(fn);
}

// Selectors the Component Manager's CanDo answers yes to.
bool CanDo(SInt16 select) {
  return (select >= kAudioUnitInitializeSelect && select <= kAudioUnitSetParameterSelect) ||
         (select >= kAudioUnitResetSelect && select <= kAudioUnitRemovePropertyListenerSelect) ||
         (select >= kAudioUnitRenderSelect && select <= kAudioUnitScheduleParametersSelect);
}
} // namespace

// ---- AudioComponent factory ----

IPlugAU* IPlugAUFactoryBase::PlugOf(void* self) {
  return reinterpret_cast<IPlugAU*>(static_cast<char*>(self) + kObjOffset);
}

void* IPlugAUFactoryBase::NewBlock(size_t objSize, void* construct, void* destruct) {
  void* block = calloc(1, kObjOffset + objSize);
  if (!block) return nullptr;
  auto* words = static_cast<IPlugAUFactoryBlock*>(block)->mWords;
  words[kOpenWord] = reinterpret_cast<void*>(&IPlugAUFactoryBase::Open);
  words[kCloseWord] = reinterpret_cast<void*>(&IPlugAUFactoryBase::Close);
  words[kLookupWord] = reinterpret_cast<void*>(&IPlugAUFactoryBase::Lookup);
  words[kConstructWord] = construct;
  words[kDestructWord] = destruct;
  return block;
}

OSStatus IPlugAUFactoryBase::Open(void* self, AudioComponentInstance compInst) {
  assert(self && "acpi");
  if (!self) return paramErr;
  void** words = static_cast<IPlugAUFactoryBlock*>(self)->mWords;
  auto construct = reinterpret_cast<ConstructFn>(words[kConstructWord]);
  auto* plug = static_cast<IPlugAU*>(construct(PlugOf(self), compInst));
  if (!plug) return paramErr;
  plug->mCI = compInst;
  plug->HostSpecificInit();
  plug->PruneUninitializedPresets();
  return noErr;
}

OSStatus IPlugAUFactoryBase::Close(void* self) {
  assert(self && "acpi");
  if (!self) return paramErr;
  void** words = static_cast<IPlugAUFactoryBlock*>(self)->mWords;
  reinterpret_cast<DestructFn>(words[kDestructWord])(PlugOf(self));
  free(self);
  return noErr;
}

AudioComponentMethod IPlugAUFactoryBase::Lookup(SInt16 selector) {
  switch (selector) {
  case kAudioUnitInitializeSelect:
    return Method(&AUMethodInitialize);
  case kAudioUnitUninitializeSelect:
    return Method(&AUMethodUninitialize);
  case kAudioUnitGetPropertyInfoSelect:
    return Method(&AUMethodGetPropertyInfo);
  case kAudioUnitGetPropertySelect:
    return Method(&AUMethodGetProperty);
  case kAudioUnitSetPropertySelect:
    return Method(&AUMethodSetProperty);
  case kAudioUnitGetParameterSelect:
    return Method(&AUMethodGetParameter);
  case kAudioUnitSetParameterSelect:
    return Method(&AUMethodSetParameter);
  case kAudioUnitResetSelect:
    return Method(&AUMethodReset);
  case kAudioUnitAddPropertyListenerSelect:
    return Method(&AUMethodAddPropertyListener);
  case kAudioUnitRemovePropertyListenerSelect:
    return Method(&AUMethodRemovePropertyListener);
  case kAudioUnitRenderSelect:
    return Method(&AUMethodRender);
  case kAudioUnitAddRenderNotifySelect:
    return Method(&AUMethodAddRenderNotify);
  case kAudioUnitRemoveRenderNotifySelect:
    return Method(&AUMethodRemoveRenderNotify);
  case kAudioUnitScheduleParametersSelect:
    return Method(&AUMethodScheduleParameters);
  case kAudioUnitRemovePropertyListenerWithUserDataSelect:
    return Method(&AUMethodRemovePropertyListenerWithUserData);
  case kMusicDeviceMIDIEventSelect:
    return Method(&AUMethodMIDIEvent);
  case kMusicDeviceSysExSelect:
    return Method(&AUMethodSysEx);
  default:
    return nullptr;
  }
}

// ---- Component Manager entry of the AudioUnit ----

ComponentResult IPlugAU::IPlugAUEntry(ComponentParameters* params, void* pPlug) {
  if (!params) return paramErr;
  const int select = params->what;
  auto arg = [params](int n, int i) { return ComponentParameterArg(params, n, i); };
  IPlugAU* _this = static_cast<IPlugAU*>(pPlug);

  switch (select) {
  case kComponentOpenSelect: {
    auto ci = reinterpret_cast<ComponentInstance>(arg(1, 0));
    if (!ci) return paramErr;
    IPlugAU* plug = MakePlug(nullptr);
    if (!plug) return paramErr;
    plug->HostSpecificInit();
    plug->PruneUninitializedPresets();
    plug->mCI = ci;
    SetComponentInstanceStorage(ci, reinterpret_cast<Handle>(plug));
    return noErr;
  }
  case kComponentCloseSelect:
    if (!_this) return paramErr;
    _this->ClearConnections();
    delete _this;
    return noErr;
  case kComponentCanDoSelect:
    return CanDo((SInt16)arg(1, 0)) ? 1 : 0;
  case kComponentVersionSelect:
    if (!_this) return paramErr;
    return _this->GetEffectVersion(false);
  default:
    break;
  }

  // Every other selector works on an open instance.
  if (!_this) return paramErr;
  switch (select) {
  case kAudioUnitInitializeSelect:
    return DoInitialize(_this);
  case kAudioUnitUninitializeSelect:
    return DoUninitialize(_this);
  case kAudioUnitGetPropertyInfoSelect:
    return DoGetPropertyInfo(_this, (AudioUnitPropertyID)arg(5, 0), (AudioUnitScope)arg(5, 1),
                             (AudioUnitElement)arg(5, 2), reinterpret_cast<UInt32*>(arg(5, 3)),
                             reinterpret_cast<Boolean*>(arg(5, 4)));
  case kAudioUnitGetPropertySelect:
    return DoGetProperty(_this, (AudioUnitPropertyID)arg(5, 0), (AudioUnitScope)arg(5, 1),
                         (AudioUnitElement)arg(5, 2), reinterpret_cast<void*>(arg(5, 3)),
                         reinterpret_cast<UInt32*>(arg(5, 4)));
  case kAudioUnitSetPropertySelect:
    return DoSetProperty(_this, (AudioUnitPropertyID)arg(5, 0), (AudioUnitScope)arg(5, 1),
                         (AudioUnitElement)arg(5, 2), reinterpret_cast<const void*>(arg(5, 3)),
                         (UInt32)arg(5, 4));
  case kAudioUnitGetParameterSelect:
    return DoGetParameter(_this, (AudioUnitParameterID)arg(4, 0), (AudioUnitScope)arg(4, 1),
                          (AudioUnitElement)arg(4, 2),
                          reinterpret_cast<AudioUnitParameterValue*>(arg(4, 3)));
  case kAudioUnitSetParameterSelect:
    return DoSetParameter(_this, (AudioUnitParameterID)arg(5, 0), (AudioUnitScope)arg(5, 1),
                          (AudioUnitElement)arg(5, 2), ComponentArgFloat(arg(5, 3)),
                          (UInt32)arg(5, 4));
  case kAudioUnitResetSelect:
    return DoReset(_this);
  case kAudioUnitAddPropertyListenerSelect:
    return DoAddPropertyListener(_this, (AudioUnitPropertyID)arg(3, 0),
                                 reinterpret_cast<AudioUnitPropertyListenerProc>(arg(3, 1)),
                                 reinterpret_cast<void*>(arg(3, 2)));
  case kAudioUnitRemovePropertyListenerSelect:
    return DoRemovePropertyListener(_this, (AudioUnitPropertyID)arg(2, 0),
                                    reinterpret_cast<AudioUnitPropertyListenerProc>(arg(2, 1)));
  case kAudioUnitRemovePropertyListenerWithUserDataSelect:
    return DoRemovePropertyListenerWithUserData(
        _this, (AudioUnitPropertyID)arg(3, 0),
        reinterpret_cast<AudioUnitPropertyListenerProc>(arg(3, 1)),
        reinterpret_cast<void*>(arg(3, 2)));
  case kAudioUnitRenderSelect:
    return DoRender(_this, reinterpret_cast<AudioUnitRenderActionFlags*>(arg(5, 0)),
                    reinterpret_cast<const AudioTimeStamp*>(arg(5, 1)), (UInt32)arg(5, 2),
                    (UInt32)arg(5, 3), reinterpret_cast<AudioBufferList*>(arg(5, 4)));
  case kAudioUnitAddRenderNotifySelect:
    return DoAddRenderNotify(_this, reinterpret_cast<AURenderCallback>(arg(2, 0)),
                             reinterpret_cast<void*>(arg(2, 1)));
  case kAudioUnitRemoveRenderNotifySelect:
    return DoRemoveRenderNotify(_this, reinterpret_cast<AURenderCallback>(arg(2, 0)),
                                reinterpret_cast<void*>(arg(2, 1)));
  case kAudioUnitScheduleParametersSelect:
    return DoScheduleParameters(_this, reinterpret_cast<const AudioUnitParameterEvent*>(arg(2, 0)),
                                (UInt32)arg(2, 1));
  case kMusicDeviceMIDIEventSelect:
    return DoMIDIEvent(_this, (UInt32)arg(4, 0), (UInt32)arg(4, 1), (UInt32)arg(4, 2),
                       (UInt32)arg(4, 3));
  case kMusicDeviceSysExSelect:
    return DoSysEx(_this, reinterpret_cast<const UInt8*>(arg(2, 0)), (UInt32)arg(2, 1));
  case kMusicDevicePrepareInstrumentSelect:
  case kMusicDeviceReleaseInstrumentSelect:
  case kMusicDeviceStopNoteSelect:
    return noErr;
  case kMusicDeviceStartNoteSelect: {
    auto* pNoteID = reinterpret_cast<NoteInstanceID*>(arg(5, 2));
    auto* pNoteParams = reinterpret_cast<const MusicDeviceNoteParams*>(arg(5, 4));
    if (!pNoteID || !pNoteParams) return kAudioUnitErr_InvalidPropertyValue;
    const Float32 pitch = pNoteParams->mPitch;
    if (!(pitch >= 0.0f && pitch < 4294967296.0f)) return kAudioUnitErr_InvalidPropertyValue;
    *pNoteID = (NoteInstanceID)pitch;
    return noErr;
  }
  default:
    return badComponentSelector;
  }
}

// ---- Component Manager entry of the Carbon view ----

namespace {
// Storage of one Carbon view instance.
struct CarbonViewRecord {
  ComponentInstance mCI;
  IPlugAU* mPlug; // the AudioUnit it edits; null until a view is created
};
} // namespace

ComponentResult IPlugAU::IPlugAUCarbonViewEntry(ComponentParameters* params, void* pView) {
  if (!params) return paramErr;
  auto arg = [params](int n, int i) { return ComponentParameterArg(params, n, i); };
  auto* view = static_cast<CarbonViewRecord*>(pView);
  switch (params->what) {
  case kComponentOpenSelect: {
    auto ci = reinterpret_cast<ComponentInstance>(arg(1, 0));
    if (!ci) return paramErr;
    auto* rec = new CarbonViewRecord{ci, nullptr};
    SetComponentInstanceStorage(ci, reinterpret_cast<Handle>(rec));
    return noErr;
  }
  case kComponentCloseSelect:
    // The editor's window belongs to the AudioUnit and is closed with it; the view record
    // holds no graphics of its own.
    if (!view) return paramErr;
    delete view;
    return noErr;
  case kAudioUnitCarbonViewCreateSelect: {
    // (edited unit, window, parent control, location*, size*, out control*)
    if (!view) return paramErr;
    auto unit = reinterpret_cast<AudioUnit>(arg(6, 0));
    auto* pOutControl = reinterpret_cast<ControlRef*>(arg(6, 5));
    view->mPlug = reinterpret_cast<IPlugAU*>(GetComponentInstanceStorage(unit));
    if (!view->mPlug || !view->mPlug->GetGUI()) return badComponentSelector;
    // The graphics object has no Carbon form: the host gets no control.
    if (pOutControl) *pOutControl = nullptr;
    return noErr;
  }
  default:
    return badComponentSelector;
  }
}
