#include "host/auhost.h"

#include <AudioUnit/AUCocoaUIView.h>
#include <Cocoa/Cocoa.h>
#include <CoreMIDI/CoreMIDI.h>
#include <PlatformTestHooks.h>

#include "WDL/IPlug/IPlugAU_Private.h"

#include <cstring>
#include <dlfcn.h>

namespace auhost {

namespace {

// The text of a string a plug-in handed over; "" when it gave none (a null string).
std::string StringText(CFStringRef s) {
  const char* text = s ? CFStringGetCStringPtr(s, kCFStringEncodingUTF8) : nullptr;
  return text ? text : "";
}

// Room for the host's two output buffers.
struct TwoBufferList {
  UInt32 mNumberBuffers;
  AudioBuffer mBuffers[2];
  AudioBufferList* Get() { return reinterpret_cast<AudioBufferList*>(this); }
};
} // namespace

Host::Host() = default;

Host::~Host() {
  Unload();
}

bool Host::Load(const std::string& bundleDir, const std::string& prefix,
                const AudioComponentDescription& desc, const char* mainBundleID) {
  Unload();
  std::string name = bundleDir;
  while (!name.empty() && name.back() == '/') name.pop_back();
  const size_t slash = name.rfind('/');
  if (slash != std::string::npos) name = name.substr(slash + 1);
  const std::string ext = ".component";
  if (name.size() > ext.size() && name.compare(name.size() - ext.size(), ext.size(), ext) == 0)
    name.resize(name.size() - ext.size());
  const std::string path = bundleDir + "/Contents/MacOS/" + name;
  mBundleDir = bundleDir;
  // The bundle stays mapped after dlclose: what its libraries made once for the process
  // (caches, registered classes) stays reachable, and a second load reuses them.
  mLib = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
  if (!mLib) {
    const char* e = dlerror();
    mError = e ? e : "cannot load " + path;
    return false;
  }
  mEntry = dlsym(mLib, (prefix + "_Entry").c_str());
  mFactory = dlsym(mLib, (prefix + "_Factory").c_str());
  mViewEntry = dlsym(mLib, (prefix + "_ViewEntry").c_str());
  if (!mEntry || !mFactory || !mViewEntry) {
    mError = "missing entry points with prefix " + prefix;
    Unload();
    return false;
  }
  if (mainBundleID) PlatformTest_SetMainBundleIdentifier(mainBundleID);
  CFStringRef cfName = CFStringCreateWithCString(nullptr, name.c_str(), kCFStringEncodingUTF8);
  mComponent = AudioComponentRegister(&desc, cfName, 0,
                                      reinterpret_cast<AudioComponentFactoryFunction>(mFactory));
  if (cfName) CFRelease(cfName);
  if (!mComponent) {
    mError = "cannot register the component";
    Unload();
    return false;
  }
  return true;
}

void Host::Unload() {
  Close();
  // A registered component stays listed with the platform; it is not found again once the
  // library is gone because a later Load registers a new one first in line.
  mComponent = nullptr;
  if (mLib) dlclose(mLib);
  mLib = mEntry = mFactory = mViewEntry = nullptr;
}

void Host::RegisterBundle(const char* identifier) {
  if (identifier && !mBundleDir.empty())
    PlatformTest_RegisterBundle(identifier, mBundleDir.c_str());
}

ComponentResult Host::CallEntry(SInt16 what, std::vector<long> args, void* storage, bool view) {
  void* fn = view ? mViewEntry : mEntry;
  if (!fn) return badComponentSelector;
  ComponentCallBlock block(what, (int)args.size(), args.data());
  auto entry = reinterpret_cast<ComponentResult (*)(ComponentParameters*, void*)>(fn);
  return entry(block.Get(), storage);
}

OSStatus Host::Open() {
  if (mUnit) return noErr;
  if (!mComponent) return paramErr;
  mSampleTime = 0.0;
  mBlocks = 0;
  return AudioComponentInstanceNew(mComponent, &mUnit);
}

OSStatus Host::Close() {
  CloseEditor();
  if (!mUnit) return noErr;
  for (uint32_t id : mListenedProps)
    AudioUnitRemovePropertyListenerWithUserData(mUnit, id, PropertyListener, this);
  mListenedProps.clear();
  if (mEventListener) AUListenerDispose(mEventListener);
  mEventListener = nullptr;
  const OSStatus r = AudioComponentInstanceDispose(mUnit);
  mUnit = nullptr;
  return r;
}

void* Host::PlugObject() {
  void* plug = nullptr;
  UInt32 size = sizeof(plug);
  if (AudioUnitGetProperty(mUnit, kIPlugObjectPropertyID, kAudioUnitScope_Global, 0, &plug, &size))
    return nullptr;
  return plug;
}

OSStatus Host::SetSampleRate(double sampleRate) {
  const OSStatus r =
      AudioUnitSetProperty(mUnit, kAudioUnitProperty_SampleRate, kAudioUnitScope_Global, 0,
                           &sampleRate, sizeof(sampleRate));
  if (r == noErr) mSampleRate = sampleRate;
  return r;
}

OSStatus Host::SetMaxFrames(uint32_t frames) {
  return AudioUnitSetProperty(mUnit, kAudioUnitProperty_MaximumFramesPerSlice,
                              kAudioUnitScope_Global, 0, &frames, sizeof(frames));
}

OSStatus Host::Initialize() {
  return AudioUnitInitialize(mUnit);
}

OSStatus Host::Uninitialize() {
  return AudioUnitUninitialize(mUnit);
}

OSStatus Host::Reset() {
  return AudioUnitReset(mUnit, kAudioUnitScope_Global, 0);
}

OSStatus Host::InstallHostCallbacks() {
  HostCallbackInfo info{this, BeatAndTempo, MusicalTime, TransportState, TransportState2};
  return AudioUnitSetProperty(mUnit, kAudioUnitProperty_HostCallbacks, kAudioUnitScope_Global, 0,
                              &info, sizeof(info));
}

OSStatus Host::InstallMidiOutput() {
  AUMIDIOutputCallbackStruct cb{MidiOutput, this};
  return AudioUnitSetProperty(mUnit, kAudioUnitProperty_MIDIOutputCallback, kAudioUnitScope_Global,
                              0, &cb, sizeof(cb));
}

OSStatus Host::IdentifyHost(const char* name, uint8_t major, uint8_t minor, uint8_t bugfix) {
  AUHostVersionIdentifier id;
  id.hostName = CFStringCreateWithCString(nullptr, name, kCFStringEncodingUTF8);
  id.hostVersion = NumVersion{0, 0, (UInt8)((minor << 4) | (bugfix & 0x0F)), major};
  const OSStatus r = AudioUnitSetProperty(mUnit, kAudioUnitProperty_AUHostIdentifier,
                                          kAudioUnitScope_Global, 0, &id, sizeof(id));
  if (id.hostName) CFRelease(id.hostName);
  return r;
}

OSStatus Host::SetParameter(uint32_t id, float value) {
  return AudioUnitSetParameter(mUnit, id, kAudioUnitScope_Global, 0, value, 0);
}

OSStatus Host::GetParameter(uint32_t id, float* value) {
  return AudioUnitGetParameter(mUnit, id, kAudioUnitScope_Global, 0, value);
}

// ---- Render ----

void Host::QueueMidi(uint32_t offset, uint32_t status, uint32_t data1, uint32_t data2) {
  mMidiQueue.push_back(QueuedMidi{offset, status, data1, data2});
}

OSStatus Host::Render(int nBlocks, uint32_t frames) {
  for (auto& out : mOut)
    if (out.size() != frames) out.assign(frames, 1.0f);
  for (int b = 0; b < nBlocks; ++b) {
    for (const QueuedMidi& m : mMidiQueue) {
      const OSStatus r = MusicDeviceMIDIEvent(mUnit, m.status, m.data1, m.data2, m.offset);
      if (r) return r;
    }
    mMidiQueue.clear();
    // Outputs start non-zero so that a test sees what the plug-in wrote.
    for (auto& out : mOut) std::fill(out.begin(), out.end(), 1.0f);
    TwoBufferList list;
    list.mNumberBuffers = 2;
    for (int c = 0; c < 2; ++c)
      list.mBuffers[c] = AudioBuffer{1, frames * (UInt32)sizeof(float), mOut[c].data()};
    AudioTimeStamp ts{};
    ts.mSampleTime = mSampleTime;
    ts.mFlags = kAudioTimeStampSampleTimeValid;
    AudioUnitRenderActionFlags flags = 0;
    const OSStatus r = AudioUnitRender(mUnit, &flags, &ts, 0, frames, list.Get());
    if (r) return r;
    ++mBlocks;
    mSampleTime += frames;
    Transport& t = mTransport;
    if (t.playing && t.advance) {
      t.samplePos += frames;
      t.beat += frames / mSampleRate * t.tempo / 60.0;
    }
  }
  return noErr;
}

OSStatus Host::RenderRaw(const AudioTimeStamp* ts, uint32_t bus, uint32_t frames,
                         AudioBufferList* list) {
  AudioUnitRenderActionFlags flags = 0;
  return AudioUnitRender(mUnit, &flags, ts, bus, frames, list);
}

OSStatus Host::AddRenderNotify() {
  return AudioUnitAddRenderNotify(mUnit, RenderNotify, this);
}

OSStatus Host::RemoveRenderNotify() {
  return AudioUnitRemoveRenderNotify(mUnit, RenderNotify, this);
}

// ---- State and presets ----

OSStatus Host::GetState(CFPropertyListRef* state) {
  UInt32 size = sizeof(*state);
  return AudioUnitGetProperty(mUnit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, state,
                              &size);
}

OSStatus Host::SetState(CFPropertyListRef state) {
  return AudioUnitSetProperty(mUnit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0,
                              &state, sizeof(state));
}

std::vector<Preset> Host::FactoryPresets(OSStatus* err) {
  std::vector<Preset> out;
  CFArrayRef presets = nullptr;
  UInt32 size = sizeof(presets);
  const OSStatus r = AudioUnitGetProperty(mUnit, kAudioUnitProperty_FactoryPresets,
                                          kAudioUnitScope_Global, 0, &presets, &size);
  if (err) *err = r;
  if (r || !presets) return out;
  for (CFIndex i = 0; i < CFArrayGetCount(presets); ++i) {
    auto* p = static_cast<const AUPreset*>(CFArrayGetValueAtIndex(presets, i));
    if (!p) continue;
    out.push_back(Preset{p->presetNumber, StringText(p->presetName)});
  }
  CFRelease(presets);
  return out;
}

OSStatus Host::ChoosePreset(int number) {
  AUPreset p{number, nullptr};
  return AudioUnitSetProperty(mUnit, kAudioUnitProperty_PresentPreset, kAudioUnitScope_Global, 0,
                              &p, sizeof(p));
}

OSStatus Host::CurrentPreset(Preset* out) {
  AUPreset p{};
  UInt32 size = sizeof(p);
  const OSStatus r = AudioUnitGetProperty(mUnit, kAudioUnitProperty_PresentPreset,
                                          kAudioUnitScope_Global, 0, &p, &size);
  if (r) return r;
  if (out) *out = Preset{p.presetNumber, StringText(p.presetName)};
  if (p.presetName) CFRelease(p.presetName);
  return noErr;
}

// ---- Listeners ----

OSStatus Host::ListenToProperty(uint32_t id) {
  const OSStatus r = AudioUnitAddPropertyListener(mUnit, id, PropertyListener, this);
  if (r == noErr) mListenedProps.push_back(id);
  return r;
}

OSStatus Host::ListenToParameterEvents() {
  if (!mEventListener) {
    const OSStatus r =
        AUEventListenerCreate(EventListener, this, nullptr, nullptr, 0, 0, &mEventListener);
    if (r) return r;
  }
  for (AudioUnitEventType type :
       {kAudioUnitEvent_ParameterValueChange, kAudioUnitEvent_BeginParameterChangeGesture,
        kAudioUnitEvent_EndParameterChangeGesture}) {
    AudioUnitEvent e{};
    e.mEventType = type;
    e.mArgument.mParameter = AudioUnitParameter{mUnit, kAUParameterListener_AnyParameter, 0, 0};
    const OSStatus r = AUEventListenerAddEventType(mEventListener, this, &e);
    if (r) return r;
  }
  return noErr;
}

// ---- Editor ----

OSStatus Host::OpenEditor(double preferredW, double preferredH) {
  CloseEditor();
  AudioUnitCocoaViewInfo info{};
  UInt32 size = sizeof(info);
  OSStatus r = AudioUnitGetProperty(mUnit, kAudioUnitProperty_CocoaUI, kAudioUnitScope_Global, 0,
                                    &info, &size);
  if (r) return r;
  NSAutoreleasePool* pool = (new NSAutoreleasePool)->init();
  NSString* className =
      NSString::stringWithUTF8String(StringText(info.mCocoaAUViewClass[0]).c_str());
  if (info.mCocoaAUViewBundleLocation) CFRelease(info.mCocoaAUViewBundleLocation);
  if (info.mCocoaAUViewClass[0]) CFRelease(info.mCocoaAUViewClass[0]);
  Class cls = NSClassFromString(className);
  id obj = cls ? cls->allocInit() : nullptr;
  mViewFactory = dynamic_cast<AUCocoaUIBase*>(obj);
  if (!mViewFactory) {
    if (obj) obj->release();
    pool->drain();
    return paramErr;
  }
  mView = mViewFactory->uiViewForAudioUnit(mUnit, NSMakeSize(preferredW, preferredH));
  if (mView) {
    mView->retain(); // the plug-in may close its view while the host still shows it
    const NSRect frame = mView->frame();
    mWindow = PlatformTest_CreateWindow((int)frame.size.width, (int)frame.size.height);
    PlatformTest_AddView(mWindow, mView);
  }
  pool->drain();
  return mView ? noErr : paramErr;
}

void Host::CloseEditor() {
  if (mView) {
    mView->removeFromSuperview();
    mView->release();
  }
  mView = nullptr;
  if (mWindow) mWindow->release();
  mWindow = nullptr;
  if (mViewFactory) mViewFactory->release();
  mViewFactory = nullptr;
}

// ---- Callbacks the plug-in calls ----

OSStatus Host::BeatAndTempo(void* user, Float64* beat, Float64* tempo) {
  const Transport& t = static_cast<Host*>(user)->mTransport;
  if (beat) *beat = t.beat;
  if (tempo) *tempo = t.tempo;
  return noErr;
}

OSStatus Host::MusicalTime(void* user, UInt32* delta, Float32* num, UInt32* denom,
                           Float64* downBeat) {
  const Transport& t = static_cast<Host*>(user)->mTransport;
  if (delta) *delta = 0;
  if (num) *num = t.tsNumerator;
  if (denom) *denom = t.tsDenominator;
  if (downBeat) *downBeat = t.downBeat;
  return noErr;
}

OSStatus Host::TransportState(void* user, Boolean* playing, Boolean* changed, Float64* sample,
                              Boolean* cycling, Float64* start, Float64* end) {
  const Transport& t = static_cast<Host*>(user)->mTransport;
  if (playing) *playing = t.playing;
  if (changed) *changed = false;
  if (sample) *sample = t.samplePos;
  if (cycling) *cycling = t.cycling;
  if (start) *start = t.cycleStartBeat;
  if (end) *end = t.cycleEndBeat;
  return noErr;
}

OSStatus Host::TransportState2(void* user, Boolean* playing, Boolean* recording, Boolean* changed,
                               Float64* sample, Boolean* cycling, Float64* start, Float64* end) {
  if (recording) *recording = false;
  return TransportState(user, playing, changed, sample, cycling, start, end);
}

OSStatus Host::MidiOutput(void* user, const AudioTimeStamp*, UInt32, const MIDIPacketList* list) {
  auto* host = static_cast<Host*>(user);
  if (!list) return paramErr;
  const MIDIPacket* p = &list->packet[0];
  for (UInt32 i = 0; i < list->numPackets; ++i, p = MIDIPacketNext(p)) {
    const UInt16 n = p->length < sizeof(p->data) ? p->length : sizeof(p->data);
    host->mMidiLog.push_back(
        MidiOut{host->mBlocks, (int64_t)p->timeStamp, std::vector<uint8_t>(p->data, p->data + n)});
  }
  return noErr;
}

OSStatus Host::RenderNotify(void* user, AudioUnitRenderActionFlags* flags, const AudioTimeStamp*,
                            UInt32, UInt32, AudioBufferList*) {
  static_cast<Host*>(user)->mNotifyLog.push_back(flags ? *flags : 0);
  return noErr;
}

void Host::PropertyListener(void* user, AudioUnit, AudioUnitPropertyID id, AudioUnitScope scope,
                            AudioUnitElement element) {
  static_cast<Host*>(user)->mNotes.push_back(
      Notification{Notification::kProperty, id, scope, element});
}

void Host::EventListener(void* user, void*, const AudioUnitEvent* event, UInt64,
                         AudioUnitParameterValue) {
  Notification::Kind kind = Notification::kParamValue;
  if (event->mEventType == kAudioUnitEvent_BeginParameterChangeGesture)
    kind = Notification::kBeginGesture;
  else if (event->mEventType == kAudioUnitEvent_EndParameterChangeGesture)
    kind = Notification::kEndGesture;
  const AudioUnitParameter& p = event->mArgument.mParameter;
  static_cast<Host*>(user)->mNotes.push_back(
      Notification{kind, p.mParameterID, p.mScope, p.mElement});
}

} // namespace auhost
